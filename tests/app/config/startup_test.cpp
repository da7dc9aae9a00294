#include "app/config/startup.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include "app/config/game_table.h"
#include "platform/files.h"
#include "tests/app/config/fake_prompts.h"
#include "tests/platform/temp_dir.h"

namespace {

// A game install in a temporary folder, with the environment pointing the program at it.
class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories(music_);
    setenv("XDG_RUNTIME_DIR", runtime_.path().c_str(), 1);
    setenv("KORVA_INSTALL_DIR", (game_.path() + "/").c_str(), 1);
  }
  void TearDown() override {
    unsetenv("KORVA_INSTALL_DIR");
    unsetenv("XDG_RUNTIME_DIR");
  }

  TTempDir runtime_;
  TTempDir game_;
  const std::string music_ = game_ / "Music/Digital";
  const std::string table_ = music_ + kSep + "Config.txt";
  const std::string backup_ = music_ + kSep + "Config.org";
  TFakePrompts prompts_;
  TKorvaConfig defaults_;
};

// Off Windows the game is found through KORVA_INSTALL_DIR or the Wine prefix; the Windows tests
// cover the registry (tests/platform/windows).
#ifndef _WIN32
TEST_F(StartupTest, FindsTheMusicFolderAndRefusesASecondInstance) {
  auto first = StartProgram(prompts_);
  ASSERT_TRUE(first);
  EXPECT_EQ(first->MusicFolder, music_);
  EXPECT_TRUE(prompts_.Messages.empty());

  EXPECT_FALSE(StartProgram(prompts_));
  EXPECT_EQ(prompts_.Messages, std::vector<std::string>{kMsgSecondInstance});
  first.reset();
  EXPECT_TRUE(StartProgram(prompts_));
}

TEST_F(StartupTest, MissingKeyOrFolderEndsTheProgram) {
  setenv("KORVA_INSTALL_DIR", (game_.path() + "/elsewhere/").c_str(), 1);
  EXPECT_FALSE(StartProgram(prompts_));
  unsetenv("KORVA_INSTALL_DIR");
  setenv("WINEPREFIX", game_.path().c_str(), 1);  // a prefix without system.reg
  EXPECT_FALSE(StartProgram(prompts_));
  unsetenv("WINEPREFIX");
  ASSERT_EQ(prompts_.Messages.size(), 2u);
  for (const std::string& message : prompts_.Messages) EXPECT_TRUE(message.starts_with(kMsgNoGame));
}
#endif

TEST_F(StartupTest, InstallDirValueLosesItsLastComponentUnlessItEndsInASeparator) {
#ifdef _WIN32
  EXPECT_EQ(MusicFolderFromInstallDir("C:\\uo\\"), "C:\\uo\\Music\\Digital");
  EXPECT_EQ(MusicFolderFromInstallDir("C:\\uo\\uo.exe"), "C:\\uo\\Music\\Digital");
  EXPECT_EQ(MusicFolderFromInstallDir("C:uo"), "C:Music\\Digital");
#else
  EXPECT_EQ(MusicFolderFromInstallDir("/games/uo/"), "/games/uo/Music/Digital");
  EXPECT_EQ(MusicFolderFromInstallDir("/games/uo/uo.exe"), "/games/uo/Music/Digital");
  EXPECT_EQ(MusicFolderFromInstallDir("/games/uo"), "/games/Music/Digital");
  EXPECT_EQ(MusicFolderFromInstallDir(""), "Music/Digital");
#endif
  EXPECT_EQ(MusicFolderFromInstallDir(std::nullopt), "");
}

TEST_F(StartupTest, FirstRunYesMakesTheBackupAndLoadsIt) {
  WriteBytes(table_, "1 title,loop\r\n2 battle\r\n");
  prompts_.Answers = {TPromptAnswer::pcaYes};
  EXPECT_TRUE(PrepareGameConfigs(music_, defaults_, prompts_));
  ASSERT_EQ(prompts_.Questions.size(), 1u);
  EXPECT_EQ(prompts_.Questions[0].Text, kMsgFirstRun);
  EXPECT_EQ(prompts_.Questions[0].Buttons, TPromptButtons::pcbYesCancel);
  EXPECT_EQ(ReadBytes(backup_), ReadBytes(table_));
  ASSERT_EQ(defaults_.Count(), 2);
  EXPECT_TRUE(defaults_.IsDefault());
  EXPECT_TRUE(defaults_.Items(1).IsDefault);
  EXPECT_EQ(defaults_.Items(0).FileName, music_ + kSep + "title.mp3");
}

TEST_F(StartupTest, FirstRunCancelEndsWithoutBackup) {
  WriteBytes(table_, "1 title\r\n");
  prompts_.Answers = {TPromptAnswer::pcaCancel};
  EXPECT_FALSE(PrepareGameConfigs(music_, defaults_, prompts_));
  EXPECT_FALSE(FileExists(backup_));
  EXPECT_TRUE(prompts_.Messages.empty());
  EXPECT_EQ(defaults_.Count(), 0);
}

TEST_F(StartupTest, ExistingBackupIsNeverCopiedAgain) {
  WriteBytes(table_, "1 changed\r\n");
  WriteBytes(backup_, "1 original\r\n");
  EXPECT_TRUE(PrepareGameConfigs(music_, defaults_, prompts_));
  EXPECT_TRUE(prompts_.Log.empty());
  EXPECT_EQ(ReadBytes(backup_), "1 original\r\n");
  ASSERT_EQ(defaults_.Count(), 1);
  EXPECT_EQ(defaults_.Items(0).FileName, music_ + kSep + "original.mp3");
}

TEST_F(StartupTest, MissingTableAndBackupShowEveryMessageInTurn) {
  prompts_.Answers = {TPromptAnswer::pcaYes};
  EXPECT_FALSE(PrepareGameConfigs(music_, defaults_, prompts_));
  EXPECT_EQ(prompts_.Log, (std::vector<std::string>{"MESSAGE: " + std::string(kMsgNoGameTable),
                                                    "QUESTION: " + std::string(kMsgFirstRun),
                                                    "MESSAGE: " + std::string(kMsgBackupFailed)}));
  EXPECT_FALSE(FileExists(backup_));
}

TEST_F(StartupTest, MissingTableWithBackupStillLoadsTheDefaultButEnds) {
  WriteBytes(backup_, "");
  EXPECT_FALSE(PrepareGameConfigs(music_, defaults_, prompts_));
  EXPECT_EQ(prompts_.Messages, std::vector<std::string>{kMsgNoGameTable});
  EXPECT_TRUE(prompts_.Questions.empty());
  EXPECT_EQ(defaults_.Count(), 0);
}

}  // namespace
