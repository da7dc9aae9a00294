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
  EXPECT_TRUE(std::regex_search(run.Output,
                                std::regex("^(position_ms=[0-9]+\n)*played_ms=[0-9]+ cpu_ms=[0-9]+ "
                                           "cpu_percent=[0-9]+\\.[0-9]{2} end=merSuccessful\n$")))
      << run.Output;
  ASSERT_EQ(RunCommand(ShellWord(MP3DECODE_PROGRAM) + " " + ShellWord(input) + " " +
                       ShellWord(decoded.string()))
                .Status,
            0);
  EXPECT_EQ(ReadFileBytes(played.string()), ReadFileBytes(decoded.string()));
  fs::remove(played);
  fs::remove(decoded);

  EXPECT_EQ(RunCommand(ShellWord(MP3PLAY_PROGRAM) + " --seconds").Status, 2);
  EXPECT_EQ(RunCommand(ShellWord(MP3PLAY_PROGRAM) + " " + ShellWord(MP3PLAY_NOT_AUDIO)).Status, 1);
}

}  // namespace
