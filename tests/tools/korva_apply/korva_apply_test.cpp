#include <gtest/gtest.h>

#include <chrono>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "platform/files.h"
#include "platform/folder_lock.h"
#include "tests/app/config/mp3_source.h"
#include "tests/platform/temp_dir.h"
#include "tests/tools/korva_apply/run_korva_apply.h"

namespace {

class KorvaApplyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(music_);
    std::filesystem::create_directories(program_);
    WriteBytes(music_ + kSep + "Config.txt", "1 title,loop\r\n2 battle\r\n");
    WriteBytes(music_ + kSep + "Config.org", "1 title,loop\r\n2 battle\r\n");
    WriteBytes(music_ + kSep + "title.mp3", "t");
    WriteBytes(music_ + kSep + "battle.mp3", "b");
    WriteBytes(root_ / "my song.mp3", Mp3Bytes("mine"));
    WriteBytes(program_ + kSep + "mine.m3u",
               "#EXTM3U\r\n#KORVA\r\n#KORVANUM:2,1\r\n#EXTINF:\r\n" + (root_ / "my song.mp3") +
                   "\r\n#KORVANUM:1,0\r\n#EXTINF:\r\n" + (root_ / "gone.mp3") + "\r\n");
  }
  TRun Run(const std::string& options, const std::string& name) {
    return RunTool(options + " " + Quote(program_) + " " + Quote(music_) + " " + Quote(name));
  }

  TTempDir root_;
  const std::string music_ = root_ / "Music/Digital";
  const std::string program_ = root_ / "program";
};

// A failed copy gives its own exit status; the scene keeps the game's music.
TEST_F(KorvaApplyTest, AppliesAndPrintsEveryPromptOnOneLine) {
  const TRun run = Run("", "mine");
  EXPECT_EQ(run.Status, 3);
  EXPECT_EQ(run.Output,
            "QUESTION: 「mine」を適用します\n"
            "MESSAGE: " +
                (root_ / "gone.mp3") +
                "\\nのコピーに失敗しました\\nファイルが存在しないか使用中の可能性があります"
                "UOを起動中なら終了してから再度適用してください"
                "\\n次の場面はゲーム本来の音楽のままです: 1\n");
  EXPECT_EQ(ReadBytes(music_ + kSep + "Config.txt"), "1 title,loop\r\n2 my_song,loop\r\n");
  EXPECT_TRUE(ReadBytes(music_ + kSep + "my_song.mp3") == Mp3Bytes("mine"));
}

TEST_F(KorvaApplyTest, CancelStopsEarlyAndRestoreRunsToTheEnd) {
  const TRun cancelled = Run("--cancel", "mine");
  EXPECT_EQ(cancelled.Status, 1);
  EXPECT_EQ(cancelled.Output, "QUESTION: 「mine」を適用します\n");
  EXPECT_FALSE(FileExists(music_ + kSep + "my_song.mp3"));

  ASSERT_EQ(Run("", "mine").Status, 3);
  const TRun restored = Run("", "<標準>");
  EXPECT_EQ(restored.Status, 0);
  EXPECT_EQ(restored.Output, "QUESTION: 「<標準>」を適用します\n");
  EXPECT_FALSE(FileExists(music_ + kSep + "my_song.mp3"));
  EXPECT_EQ(ReadBytes(music_ + kSep + "Config.txt"), "1 title,loop\r\n2 battle\r\n");
}

TEST_F(KorvaApplyTest, StopsWithStatusOneWhenApplyStops) {
  std::filesystem::remove(music_ + kSep + "Config.txt");
  const TRun run = Run("", "mine");
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(run.Output, "QUESTION: 「mine」を適用します\nMESSAGE: Config.txtがありません\n");
}

// Another Korva changing the same game's music makes korva-apply wait, then stop.
TEST_F(KorvaApplyTest, WaitsForAnotherApplyOfTheSameGameThenStops) {
  const auto other = TFolderLock::Acquire(music_, std::chrono::milliseconds(0));
  ASSERT_NE(other, nullptr);
  const TRun run = Run("", "mine");
  EXPECT_EQ(run.Status, 1);
  EXPECT_EQ(
      run.Output,
      "QUESTION: 「mine」を適用します\n"
      "MESSAGE: ゲームの音楽は他のKorvaが変更中です\\nしばらく待ってから再度適用してください\n");
  EXPECT_FALSE(FileExists(music_ + kSep + "my_song.mp3"));
}

#ifndef _WIN32
// A named pipe where a table or a playlist should be is unreadable, not a wait for ever.
TEST_F(KorvaApplyTest, NamedPipesAreRefusedWithoutWaiting) {
  std::filesystem::remove(music_ + kSep + "Config.org");
  ASSERT_EQ(mkfifo((music_ + kSep + "Config.org").c_str(), 0600), 0);
  EXPECT_EQ(Run("", "mine").Status, 2);
  std::filesystem::remove(music_ + kSep + "Config.org");
  WriteBytes(music_ + kSep + "Config.org", "1 title,loop\r\n2 battle\r\n");
  std::filesystem::remove(program_ + kSep + "mine.m3u");
  ASSERT_EQ(mkfifo((program_ + kSep + "mine.m3u").c_str(), 0600), 0);
  EXPECT_EQ(Run("", "mine").Status, 2);
}
#endif

TEST_F(KorvaApplyTest, BadArgumentsGiveStatusTwo) {
  EXPECT_EQ(RunTool("").Status, 2);
  EXPECT_EQ(RunTool(Quote(program_) + " " + Quote(music_)).Status, 2);
  EXPECT_EQ(Run("--bogus", "mine").Status, 2);
  EXPECT_EQ(Run("", "no such config").Status, 2);
  EXPECT_EQ(Run("", "a:b").Status, 2);
  EXPECT_EQ(RunTool(Quote(program_) + " " + Quote(root_ / "nowhere") + " mine").Status, 2);
  std::filesystem::remove(music_ + kSep + "Config.org");
  EXPECT_EQ(Run("", "mine").Status, 2);
  EXPECT_EQ(RunTool("").Output, "");
}

}  // namespace
