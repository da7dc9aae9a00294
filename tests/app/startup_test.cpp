// What the main window's creation asks and tells about the game's table and its backup.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QFileDialog>
#include <QTreeWidget>

#include "app/config/game_table.h"
#include "app/config/startup.h"
#include "app/game_folder_picker.h"
#include "tests/app/game_folder.h"
#include "tests/platform/scoped_env.h"
#include "tests/platform/temp_dir.h"

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

#ifndef _WIN32  // Windows finds the game through the registry, which a test cannot empty.
// Without a game where Korva looks, the message says where that was and how to choose another,
// and offers the folder picker until the game's folder is picked. That folder is used at the
// next start; KORVA_INSTALL_DIR naming a game still comes first.
TEST(StartupTest, TheGameFolderPickedWhenNoneIsFoundIsKeptForTheNextStart) {
  TGameFolder game;
  game.WriteTable(kTable);
  TTempDir prefix;
  TTempDir runtime;
  TEnv xdg("XDG_RUNTIME_DIR", runtime.path().c_str());
  TEnv wine("WINEPREFIX", prefix.path().c_str());
  TEnv install("KORVA_INSTALL_DIR", nullptr);
  const std::string ini = game.Path("prog/korva.ini");
  int picks = 0;
  auto pick = [&]() -> std::optional<std::string> {
    if (++picks == 1) return game.Path("prog");  // no game in there
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      EXPECT_EQ(dialog->windowTitle(), kPickGameFolderCaption);
      dialog->selectFile(QString::fromStdString(game.Path("game")));
      static_cast<QDialog*>(dialog)->accept();  // as the OK button does
    });
    return PickGameFolder();
  };
  game.Prompts.Answers = {TPromptAnswer::pcaYes, TPromptAnswer::pcaYes};
  auto start = StartProgram(game.Prompts, ini, pick);
  ASSERT_TRUE(start);
  EXPECT_EQ(start->MusicFolder, game.MusicFolder());
  EXPECT_EQ(start->PickedGameFolder, game.Path("game"));
  ASSERT_EQ(game.Prompts.Questions.size(), 2u);
  const std::string& question = game.Prompts.Questions[0].Text;
  EXPECT_TRUE(question.starts_with(kMsgNoGame));
  for (const std::string& part :
       {prefix.path(), std::string("WINEPREFIX"), std::string("KORVA_INSTALL_DIR"),
        std::string(kMsgPickGameFolder)})
    EXPECT_NE(question.find(part), std::string::npos) << part;
  EXPECT_EQ(game.Prompts.Messages, std::vector<std::string>{game.Path("prog") + kMsgNotGameFolder});

  StoreGameFolder(ini, start->PickedGameFolder);
  start.reset();
  game.Prompts.Log.clear();
  start = StartProgram(game.Prompts, ini);
  ASSERT_TRUE(start);
  EXPECT_EQ(start->MusicFolder, game.MusicFolder());
  EXPECT_TRUE(game.Prompts.Log.empty());

  TGameFolder other;
  TEnv otherInstall("KORVA_INSTALL_DIR", other.Path("game/").c_str());
  start.reset();
  EXPECT_EQ(StartProgram(game.Prompts, ini)->MusicFolder, other.MusicFolder());
}

TEST(StartupTest, CancellingThePickerEndsWithoutKeepingAFolder) {
  TGameFolder game;
  TTempDir prefix;
  TTempDir runtime;
  TEnv xdg("XDG_RUNTIME_DIR", runtime.path().c_str());
  TEnv wine("WINEPREFIX", prefix.path().c_str());
  TEnv install("KORVA_INSTALL_DIR", nullptr);
  game.Prompts.Answers = {TPromptAnswer::pcaYes, TPromptAnswer::pcaNo};
  const std::string ini = game.Path("prog/korva.ini");
  EXPECT_FALSE(StartProgram(game.Prompts, ini, [] { return std::optional<std::string>(); }));
  EXPECT_FALSE(StartProgram(game.Prompts, ini, [] { return std::optional<std::string>(); }));
  EXPECT_EQ(StoredGameFolder(ini), "");
}
#endif

}  // namespace
