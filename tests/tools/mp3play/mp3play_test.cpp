// mp3play's lines, and its WAV output against mp3decode's on the same file.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>
#include <string>

#include "platform/files.h"
#include "tests/platform/scoped_env.h"
#include "tests/tools/run_command.h"

namespace {

namespace fs = std::filesystem;

TEST(Mp3play, WavOutputIsTheDecodedPcmAndTheLastLineSaysHowItEnded) {
  const std::string input = MP3PLAY_INPUT;
  const fs::path played = fs::temp_directory_path() / "korva-mp3play-played.wav";
  const fs::path decoded = fs::temp_directory_path() / "korva-mp3play-decoded.wav";
  TEnv audio("KORVA_AUDIO", "null");
  const TRun run = RunCommand(ShellWord(MP3PLAY_PROGRAM) + " --wav " + ShellWord(played.string()) +
                              " " + ShellWord(input));
  EXPECT_EQ(run.Status, 0);
  std::smatch duration;
  EXPECT_TRUE(std::regex_search(
      run.Output, duration,
      std::regex("^duration_ms=([0-9]+)\n(position_ms=[0-9]+\n)*played_ms=[0-9]+ cpu_ms=[0-9]+ "
                 "cpu_percent=[0-9]+\\.[0-9]{2} end=merSuccessful\n$")))
      << run.Output;
  ASSERT_EQ(RunCommand(ShellWord(MP3DECODE_PROGRAM) + " " + ShellWord(input) + " " +
                       ShellWord(decoded.string()))
                .Status,
            0);
  const std::string wav = ReadFileBytes(played.string());
  EXPECT_EQ(wav, ReadFileBytes(decoded.string()));
  // The duration announced is the length of what was played.
  ASSERT_GT(wav.size(), 44u);
  const auto le = [&](size_t at, int n) {
    long long v = 0;
    for (int i = n - 1; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(wav[at + i]);
    return v;
  };
  const long long bytesPerSecond = le(28, 4);
  EXPECT_EQ(std::stoll(duration[1]),
            static_cast<long long>(wav.size() - 44) * 1000 / bytesPerSecond);
  fs::remove(played);
  fs::remove(decoded);

  EXPECT_EQ(RunCommand(ShellWord(MP3PLAY_PROGRAM) + " --seconds").Status, 2);
  EXPECT_EQ(RunCommand(ShellWord(MP3PLAY_PROGRAM) + " " + ShellWord(MP3PLAY_NOT_AUDIO)).Status, 1);
}

}  // namespace
