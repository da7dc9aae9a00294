#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/files.h"

namespace {

using namespace std::chrono_literals;

std::string Data(const char* name) { return std::string(KORVA_TEST_DATA) + "/" + name; }

// Runs playwav with the arguments (already quoted) under KORVA_AUDIO=null; answers its exit status.
int RunPlaywav(const std::string& arguments) {
  const std::string command =
      "KORVA_AUDIO=null '" + std::string(PLAYWAV_PROGRAM) + "' " + arguments + " 2>/dev/null";
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class PlaywavTest : public ::testing::Test {
 protected:
  void SetUp() override {
    out_ = std::filesystem::temp_directory_path() /
           ("korva-playwav-" + std::to_string(::getpid()) + ".wav");
  }
  void TearDown() override { std::filesystem::remove(out_); }

  std::filesystem::path out_;
};

// The files were made by sox with the plain 44-byte header that the wave output writes too, so
// the whole file comes back unchanged.
TEST_F(PlaywavTest, OutWritesThePcmUnchanged) {
  for (const char* name : {"stereo16.wav", "mono8.wav"}) {
    ASSERT_EQ(RunPlaywav("--out '" + out_.string() + "' '" + Data(name) + "'"), 0) << name;
    EXPECT_EQ(ReadFileBytes(out_.string()), ReadFileBytes(Data(name))) << name;
  }
}

TEST_F(PlaywavTest, PlaysInRealTimeOnTheSilentDevice) {
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(RunPlaywav("'" + Data("mono8.wav") + "'"), 0);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, 280ms);  // three tenths of a second of sound
  EXPECT_LT(elapsed, 3s);
}

TEST_F(PlaywavTest, RefusesWhatItCannotPlay) {
  EXPECT_EQ(RunPlaywav("'" + Data("mono24.wav") + "'"), 1);
  EXPECT_EQ(RunPlaywav("'" + Data("make_fixtures.sh") + "'"), 1);
  EXPECT_EQ(RunPlaywav("'" + Data("missing.wav") + "'"), 1);
  EXPECT_EQ(RunPlaywav(""), 2);
  EXPECT_EQ(RunPlaywav("--out"), 2);
  EXPECT_EQ(RunPlaywav("a.wav b.wav"), 2);
}

}  // namespace
