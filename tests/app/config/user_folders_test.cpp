#include "app/config/user_folders.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "tests/platform/temp_dir.h"

namespace {

constexpr char kPlaylist[] = "#EXTM3U\r\n#KORVA\r\n#KORVANUM:3\r\n/music/a.mp3\r\n";

class UserFoldersTest : public ::testing::Test {
 protected:
  UserFoldersTest() {
    std::filesystem::create_directories(root_ / "prog");
    std::filesystem::create_directories(root_ / "data");
    std::filesystem::create_directories(root_ / "config");
    WriteBytes(root_ / "prog/korva.ini", "[DEFAULT]\r\nVolume=7\r\n");
    WriteBytes(root_ / "prog/戦い.m3u", kPlaylist);
    WriteBytes(root_ / "prog/list.m3u", "#EXTM3U\r\n/music/not-a-configuration.mp3\r\n");
  }

  void Copy() {
    CopyDataFromProgramFolder(root_ / "prog/", root_ / "prog/korva.ini", root_ / "data/",
                              root_ / "config/Korva.ini");
  }

  TTempDir root_;
};

TEST_F(UserFoldersTest, CopiesConfigurationsAndSettingsOnceAndKeepsTheOriginals) {
  const TSnapshot program = TakeSnapshot(root_ / "prog");
  WriteBytes(root_ / "data/mine.m3u", "person's own");
  Copy();
  EXPECT_EQ(TakeSnapshot(root_ / "prog"), program);
  EXPECT_EQ(TakeSnapshot(root_ / "data"),
            (TSnapshot{{"戦い.m3u", kPlaylist}, {"mine.m3u", "person's own"}}));
  EXPECT_EQ(ReadBytes(root_ / "config/Korva.ini"), "[DEFAULT]\r\nVolume=7\r\n");

  // Later starts copy nothing: a deleted configuration stays deleted, changed settings stay.
  ASSERT_TRUE(FileDelete(root_ / "data/戦い.m3u"));
  WriteBytes(root_ / "config/Korva.ini", "[DEFAULT]\r\nVolume=9\r\n");
  Copy();
  EXPECT_EQ(TakeSnapshot(root_ / "data"), (TSnapshot{{"mine.m3u", "person's own"}}));
  EXPECT_EQ(ReadBytes(root_ / "config/Korva.ini"), "[DEFAULT]\r\nVolume=9\r\n");
}

TEST_F(UserFoldersTest, NeverOverwritesAndMarksTheStepDoneWithoutOldSettings) {
  std::filesystem::remove(root_ / "prog/korva.ini");
  WriteBytes(root_ / "data/戦い.m3u", "newer");
  Copy();
  EXPECT_EQ(ReadBytes(root_ / "data/戦い.m3u"), "newer");
  EXPECT_TRUE(std::filesystem::exists(root_ / "config/Korva.ini"));

  // A program folder that is the person's folder is left as it is.
  std::filesystem::remove(root_ / "config/Korva.ini");
  const TSnapshot program = TakeSnapshot(root_ / "prog");
  CopyDataFromProgramFolder(root_ / "prog/", root_ / "prog/korva.ini", root_ / "prog/",
                            root_ / "config/Korva.ini");
  EXPECT_EQ(TakeSnapshot(root_ / "prog"), program);
}

}  // namespace
