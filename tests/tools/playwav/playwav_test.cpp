#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/files.h"
#include "tests/tools/run_command.h"

namespace {

using namespace std::chrono_literals;

std::string Data(const char* name) { return std::string(KORVA_TEST_DATA) + "/" + name; }

// Runs playwav with the arguments (already quoted) under KORVA_AUDIO=null; answers its exit status.
int RunPlaywav(const std::string& arguments) {
#ifdef _WIN32
  _putenv_s("KORVA_AUDIO", "null");  // cmd has no per-command assignment; the child inherits it
  const std::string command = ShellWord(PLAYWAV_PROGRAM) + " " + arguments;
#else
  const std::string command = "KORVA_AUDIO=null " + ShellWord(PLAYWAV_PROGRAM) + " " + arguments;
#endif
  return RunCommand(command).Status;
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
    ASSERT_EQ(RunPlaywav("--out " + ShellWord(out_.string()) + " " + ShellWord(Data(name))), 0)
        << name;
    EXPECT_EQ(ReadFileBytes(out_.string()), ReadFileBytes(Data(name))) << name;
  }
}

TEST_F(PlaywavTest, PlaysInRealTimeOnTheSilentDevice) {
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(RunPlaywav(ShellWord(Data("mono8.wav"))), 0);
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, 280ms);  // three tenths of a second of sound
  EXPECT_LT(elapsed, 3s);
}

TEST_F(PlaywavTest, RefusesWhatItCannotPlay) {
  EXPECT_EQ(RunPlaywav(ShellWord(Data("mono24.wav"))), 1);
  EXPECT_EQ(RunPlaywav(ShellWord(Data("make_fixtures.sh"))), 1);
  EXPECT_EQ(RunPlaywav(ShellWord(Data("missing.wav"))), 1);
  EXPECT_EQ(RunPlaywav(""), 2);
  EXPECT_EQ(RunPlaywav("--out"), 2);
  EXPECT_EQ(RunPlaywav("a.wav b.wav"), 2);
}

}  // namespace
