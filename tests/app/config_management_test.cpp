// Creating, deleting, saving and editing configurations through the main window.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QTreeWidget>

#include "tests/app/game_folder.h"
#include "tests/platform/permissions_bind.h"
#include "tests/platform/wine_prefix.h"

namespace {

// A real MP3 file: assigning refuses what is not MPEG audio.
const std::string kAlphaMp3 = std::string(KORVA_TEST_DATA) + "/browse/alpha.mp3";

class ConfigManagementTest : public testing::Test {
 protected:
  void SetUp() override {
    game_.WriteTable("0 a,loop\r\n1 b\r\n2 c,loop\r\n3 d\r\n4 e\r\n5 f\r\n");
    game_.WriteGameFiles({"a.mp3", "b.mp3", "c.mp3", "d.mp3", "e.mp3", "f.mp3"});
    QDir(QString::fromStdString(game_.Path(""))).mkpath("music");
    TGameFolder::WriteFile(game_.Path("music/x.mp3"), TGameFolder::ReadFile(kAlphaMp3));
    form_ = game_.NewForm();
  }

  void NewConfig(const QString& name, int source = 0) { RunNewConfig(*form_, name, source); }

  // Puts one row into the file list and selects it, as browsing to the file would.
  void SelectFile(const std::string& folder, const std::string& name) {
    auto* row = new QTreeWidgetItem(form_->ListViewFiles);
    row->setText(0, QString::fromStdString(name));
    row->setText(8, QString::fromStdString(folder));
    form_->ListViewFiles->setCurrentItem(row);
  }

  void SelectScenes(std::initializer_list<int> rows) {
    form_->ListViewConfig->clearSelection();
    for (int row : rows) form_->ListViewConfig->topLevelItem(row)->setSelected(true);
  }

  // "first" and "second", which overrides scene 1 with x.mp3; "first" is shown.
  void ShowFirstOfTwoConfigurations() {
    NewConfig("first");
    NewConfig("second");
    SelectScenes({1});
    SelectFile(game_.Path("music"), "x.mp3");
    form_->AssignSelectedFile();
    form_->SelectConfig(BoxEntries().indexOf("first"));
  }

  bool RowIsOverride(int row) const { return !form_->ConfigRowItem(row)->IsDefault; }
  QStringList BoxEntries() const {
    QStringList entries;
    for (int i = 0; i < form_->ComboBoxConfigs->count(); ++i)
      entries << form_->ComboBoxConfigs->itemText(i);
    return entries;
  }

  TGameFolder game_;
  std::unique_ptr<TFormMain> form_;
};

TEST_F(ConfigManagementTest, ANewConfigurationFromTheDefaultIsEmptyAndShown) {
  NewConfig("mine");
  EXPECT_EQ(form_->ComboBoxConfigs->currentText(), "mine");
  EXPECT_EQ(TGameFolder::ReadFile(game_.Path("prog/mine.m3u")), "#EXTM3U\r\n#KORVA\r\n");
  EXPECT_TRUE(form_->ActionDeleteConfig->isEnabled());
  for (int row = 0; row < 6; ++row) EXPECT_FALSE(RowIsOverride(row)) << row;
}

TEST_F(ConfigManagementTest, OneFileAssignedToFiveScenesKeepsTheirLoopFlags) {
  NewConfig("mine");
  SelectScenes({0, 1, 2, 3, 4});
  SelectFile(game_.Path("music"), "x.mp3");
  form_->AssignSelectedFile();
  ASSERT_EQ(form_->UserConfig.Count(), 5);
  for (int row = 0; row < 5; ++row) {
    EXPECT_TRUE(RowIsOverride(row)) << row;
    EXPECT_EQ(form_->ListViewConfig->topLevelItem(row)->text(5).toStdString(),
              game_.Path("music/x.mp3"));
  }
  EXPECT_FALSE(RowIsOverride(5));
  EXPECT_TRUE(form_->ConfigRowItem(0)->Loop);
  EXPECT_FALSE(form_->ConfigRowItem(1)->Loop);
  EXPECT_EQ(form_->ListViewConfig->topLevelItem(0)->foreground(2).color(), QColor(0, 0, 255));

  // Switching to the default saves the overrides; switching back shows them again.
  form_->SelectConfig(0);
  EXPECT_EQ(form_->CurrentConfigName, "");
  form_->SelectConfig(1);
  EXPECT_EQ(form_->UserConfig.Count(), 5);
  EXPECT_TRUE(RowIsOverride(4));
}

TEST_F(ConfigManagementTest, AssigningASceneItsOwnGameFileRemovesTheOverride) {
  NewConfig("mine");
  SelectScenes({1});
  SelectFile(game_.Path("music"), "x.mp3");
  form_->AssignSelectedFile();
  ASSERT_TRUE(RowIsOverride(1));
  SelectFile(game_.MusicFolder(), "B.MP3");  // the game's own file, in other letter case
  form_->AssignSelectedFile();
  EXPECT_EQ(form_->UserConfig.Count(), 0);
  EXPECT_FALSE(RowIsOverride(1));
  EXPECT_EQ(form_->ListViewConfig->topLevelItem(1)->foreground(2), QBrush());
}

TEST_F(ConfigManagementTest, NothingIsAssignedWhileTheDefaultIsShown) {
  SelectScenes({0});
  SelectFile(game_.Path("music"), "x.mp3");
  form_->AssignSelectedFile();
  EXPECT_EQ(form_->UserConfig.Count(), 0);
  EXPECT_FALSE(RowIsOverride(0));
}

TEST_F(ConfigManagementTest, RestoringScenesReturnsOnlyTheOverriddenOnes) {
  NewConfig("mine");
  SelectScenes({0, 1, 3});
  SelectFile(game_.Path("music"), "x.mp3");
  form_->AssignSelectedFile();
  SelectScenes({0, 1, 2});
  form_->RestoreSelectedScenes();
  EXPECT_EQ(form_->UserConfig.Count(), 1);
  for (int row : {0, 1, 2}) EXPECT_FALSE(RowIsOverride(row)) << row;
  EXPECT_TRUE(RowIsOverride(3));
  EXPECT_EQ(form_->ConfigRowItem(0), &form_->DefaultConfig.Items(0));
}

// Rows 0 and 2 both belong to scene 0: one override serves both, and once it is gone each row
// shows its own game file again, as it does when the configuration is shown anew.
TEST_F(ConfigManagementTest, RowsOfASceneTheTableNamesTwiceShareItsOverride) {
  game_.WriteTable("0 a\r\n1 b\r\n0 c\r\n");
  form_ = game_.NewForm();
  NewConfig("mine");
  SelectScenes({2});
  SelectFile(game_.Path("music"), "x.mp3");
  form_->AssignSelectedFile();
  ASSERT_EQ(form_->UserConfig.Count(), 1);
  EXPECT_EQ(form_->ConfigRowItem(0), &form_->UserConfig.Items(0));
  EXPECT_EQ(form_->ConfigRowItem(2), &form_->UserConfig.Items(0));

  SelectFile(game_.MusicFolder(), "a.mp3");  // the scene's first game file ends the override
  form_->AssignSelectedFile();
  EXPECT_EQ(form_->UserConfig.Count(), 0);
  EXPECT_EQ(form_->ConfigRowItem(0), &form_->DefaultConfig.Items(0));
  EXPECT_EQ(form_->ConfigRowItem(2), &form_->DefaultConfig.Items(2));
  EXPECT_EQ(form_->ListViewConfig->topLevelItem(2)->text(5).toStdString(), game_.Music("c.mp3"));

  SelectScenes({0, 2});
  form_->ConfigView->ToggleLoop();
  ASSERT_EQ(form_->UserConfig.Count(), 1) << "the second row finds the first row's override";
  EXPECT_TRUE(form_->ConfigRowItem(2)->Loop);
  SelectScenes({0});
  form_->RestoreSelectedScenes();
  EXPECT_EQ(form_->UserConfig.Count(), 0);
  EXPECT_EQ(form_->ConfigRowItem(2), &form_->DefaultConfig.Items(2));
}

TEST_F(ConfigManagementTest, ACopyOfTheShownConfigurationIncludesItsUnsavedEdits) {
  NewConfig("first");
  SelectScenes({2});
  SelectFile(game_.Path("music"), "x.mp3");
  form_->AssignSelectedFile();
  NewConfig("second", BoxEntries().indexOf("first"));
  EXPECT_EQ(form_->ComboBoxConfigs->currentText(), "second");
  EXPECT_TRUE(RowIsOverride(2));
  EXPECT_EQ(form_->UserConfig.Count(), 1);
}

TEST_F(ConfigManagementTest, DeletingAsksThenSelectsTheFollowingOrTheLastEntry) {
  NewConfig("one");
  NewConfig("two");
  NewConfig("three");
  const QStringList before = BoxEntries();
  ASSERT_EQ(before.size(), 4);

  form_->SelectConfig(1);
  form_->ActionDeleteConfig->trigger();  // answered Cancel
  EXPECT_EQ(BoxEntries(), before);
  ASSERT_EQ(game_.Prompts.Questions.size(), 1u);
  EXPECT_EQ(game_.Prompts.Questions[0].Text, before[1].toStdString() + " を削除します");
  EXPECT_EQ(game_.Prompts.Questions[0].Icon, TPromptIcon::pciWarning);
  EXPECT_EQ(game_.Prompts.Questions[0].Buttons, TPromptButtons::pcbOkCancel);

  game_.Prompts.Answers = {TPromptAnswer::pcaOk};
  form_->ActionDeleteConfig->trigger();
  EXPECT_EQ(BoxEntries(), QStringList({before[0], before[2], before[3]}));
  EXPECT_EQ(form_->ComboBoxConfigs->currentIndex(), 1);
  EXPECT_FALSE(std::filesystem::exists(game_.Path("prog/") + before[1].toStdString() + ".m3u"));

  game_.Prompts.Answers = {TPromptAnswer::pcaOk};
  form_->SelectConfig(2);
  form_->ActionDeleteConfig->trigger();
  EXPECT_EQ(form_->ComboBoxConfigs->currentIndex(), 1);
  EXPECT_EQ(form_->ComboBoxConfigs->currentText(), before[2]);

  // The last user configuration gone, "<標準>" is shown and cannot be deleted.
  game_.Prompts.Answers = {TPromptAnswer::pcaOk};
  form_->ActionDeleteConfig->trigger();
  EXPECT_EQ(BoxEntries(), QStringList({"<標準>"}));
  EXPECT_FALSE(form_->ActionDeleteConfig->isEnabled());
}

TEST_F(ConfigManagementTest, AFailedSaveReportsThePathAndCancelsTheNewConfiguration) {
  NewConfig("mine");
  const std::string path = game_.Path("prog/mine.m3u");
  std::filesystem::remove(path);
  std::filesystem::create_directory(path);  // cannot be replaced by a file
  form_->ActionNewConfig->trigger();        // no dialog may open
  EXPECT_EQ(game_.Prompts.Messages,
            std::vector<std::string>{"設定の保存に失敗しました\n" + path + "に書き込めません"});
  EXPECT_EQ(BoxEntries(), QStringList({"<標準>", "mine"}));
}

// The playlist of the shown configuration cannot be written: leaving it shows why and stays on
// it, so its overrides never go into another playlist, and "<標準>" never becomes deletable.
TEST_F(ConfigManagementTest, AConfigurationThatCannotBeSavedStaysShown) {
  ShowFirstOfTwoConfigurations();
  SelectScenes({0});
  form_->AssignSelectedFile();
  const std::string first = game_.Path("prog/first.m3u");
  const std::string second = game_.Path("prog/second.m3u");
  const std::string second_saved = TGameFolder::ReadFile(second);
  std::filesystem::permissions(first, std::filesystem::perms::owner_write,
                               std::filesystem::perm_options::remove);

  for (const QString& target : {QString("second"), QString("<標準>")}) {
    game_.Prompts.Messages.clear();
    form_->ComboBoxConfigs->setCurrentIndex(BoxEntries().indexOf(target));
    EXPECT_EQ(game_.Prompts.Messages,
              std::vector<std::string>{"設定の保存に失敗しました\n" + first + "に書き込めません"});
    EXPECT_EQ(form_->ComboBoxConfigs->currentText(), "first") << target.toStdString();
    EXPECT_EQ(form_->CurrentConfigName, "first");
    EXPECT_TRUE(RowIsOverride(0)) << "the unsaved edit is still there";
    EXPECT_FALSE(RowIsOverride(1));
    EXPECT_TRUE(form_->ActionDeleteConfig->isEnabled());
  }
  game_.Prompts.Answers = {TPromptAnswer::pcaOk};
  form_->ActionDeleteConfig->trigger();  // the read-only playlist cannot be deleted either
  EXPECT_EQ(BoxEntries(), QStringList({"<標準>", "first", "second"}));
  EXPECT_EQ(form_->ComboBoxConfigs->currentText(), "first");
  form_->close();
  EXPECT_EQ(TGameFolder::ReadFile(second), second_saved);
}

// A playlist that cannot be read is not shown, so that nothing is saved over it later.
TEST_F(ConfigManagementTest, AConfigurationThatCannotBeReadIsNotShown) {
  ShowFirstOfTwoConfigurations();
  const std::string second = game_.Path("prog/second.m3u");
  const std::string second_saved = TGameFolder::ReadFile(second);
  std::filesystem::permissions(second, std::filesystem::perms::owner_write);
  TPermissionsBind bind;
  if (!bind.Active()) GTEST_SKIP() << "file permissions do not bind this process";

  form_->ComboBoxConfigs->setCurrentIndex(BoxEntries().indexOf("second"));
  ASSERT_EQ(game_.Prompts.Messages.size(), 1u);
  EXPECT_EQ(form_->ComboBoxConfigs->currentText(), "first");
  EXPECT_EQ(form_->CurrentConfigName, "first");
  form_->close();
  std::filesystem::permissions(second, std::filesystem::perms::owner_read,
                               std::filesystem::perm_options::add);
  EXPECT_EQ(TGameFolder::ReadFile(second), second_saved);
}

#ifndef _WIN32  // Windows reads Windows paths as they are.
// A configuration written on Windows or under Wine ("Z:\...") shows its files through the Wine
// prefix, and its playlist comes back as it was when it was only looked at.
TEST_F(ConfigManagementTest, AConfigurationFromWindowsShowsItsFilesAndKeepsItsText) {
  const TWinePrefix prefix;
  const std::string windowsPath = ZDrivePath(game_.Path("music/x.mp3"));
  const std::string playlist = game_.Path("prog/windows.m3u");
  const std::string text =
      "#EXTM3U\r\n#KORVA\r\n#KORVANUM:1,1\r\n#EXTINF:\r\n" + windowsPath + "\r\n";
  TGameFolder::WriteFile(playlist, text);
  form_->FillConfigBox();
  form_->SelectConfig(BoxEntries().indexOf("windows"));
  ASSERT_TRUE(RowIsOverride(1));
  EXPECT_EQ(form_->ListViewConfig->topLevelItem(1)->text(3), "Alpha") << "its tags were read";
  form_->SelectConfig(0);
  EXPECT_EQ(TGameFolder::ReadFile(playlist), text);
}
#endif

}  // namespace
