// What the main window's creation asks and tells about the game's table and its backup.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QTreeWidget>

#include "app/config/game_table.h"
#include "app/config/startup.h"
#include "tests/app/game_folder.h"

namespace {

constexpr char kTable[] = "0 opening,loop\r\n1 town\r\n";

TEST(StartupTest, FirstRunAsksAndYesCreatesTheBackup) {
  TGameFolder game;
  game.WriteTable(kTable, false);
  game.Prompts.Answers = {TPromptAnswer::pcaYes};
  auto form = game.NewForm();
  ASSERT_EQ(game.Prompts.Questions.size(), 1u);
  EXPECT_EQ(game.Prompts.Questions[0].Text, kMsgFirstRun);
  EXPECT_EQ(game.Prompts.Questions[0].Icon, TPromptIcon::pciConfirmation);
  EXPECT_EQ(game.Prompts.Questions[0].Buttons, TPromptButtons::pcbYesCancel);
  EXPECT_FALSE(form->TerminationRequested());
  EXPECT_EQ(TGameFolder::ReadFile(game.Music("Config.org")), kTable);
  // The window shows "<標準>" with one row per line of the backup.
  EXPECT_EQ(form->ComboBoxConfigs->currentText(), "<標準>");
  EXPECT_EQ(form->ListViewConfig->topLevelItemCount(), 2);
}

TEST(StartupTest, FirstRunCancelledEndsWithoutBackup) {
  TGameFolder game;
  game.WriteTable(kTable, false);
  auto form = game.NewForm();
  EXPECT_EQ(game.Prompts.Questions.size(), 1u);
  EXPECT_TRUE(game.Prompts.Messages.empty());
  EXPECT_TRUE(form->TerminationRequested());
  EXPECT_FALSE(std::filesystem::exists(game.Music("Config.org")));
}

TEST(StartupTest, AnExistingBackupIsNeitherAskedForNorCopiedAgain) {
  TGameFolder game;
  game.WriteTable(kTable);
  TGameFolder::WriteFile(game.Music("Config.txt"), "5 changed\r\n");
  auto form = game.NewForm();
  EXPECT_TRUE(game.Prompts.Log.empty());
  EXPECT_FALSE(form->TerminationRequested());
  EXPECT_EQ(TGameFolder::ReadFile(game.Music("Config.org")), kTable);
  EXPECT_EQ(form->ListViewConfig->topLevelItemCount(), 2);
}

TEST(StartupTest, WithoutTableOrBackupEveryStepReportsAndTheProgramEnds) {
  TGameFolder game;
  game.Prompts.Answers = {TPromptAnswer::pcaYes};
  auto form = game.NewForm();
  EXPECT_EQ(game.Prompts.Log,
            (std::vector<std::string>{std::string("MESSAGE: ") + kMsgNoGameTable,
                                      std::string("QUESTION: ") + kMsgFirstRun,
                                      std::string("MESSAGE: ") + kMsgBackupFailed}));
  EXPECT_TRUE(form->TerminationRequested());
}

}  // namespace
