// A configuration made, applied twice and replaced by "<標準>" on a copy of the demo game: the
// music folder ends exactly as it was before the first Apply.
#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QTreeWidget>
#include <map>

#include "tests/app/game_folder.h"

namespace {

namespace fs = std::filesystem;

// Every file of a folder with its content.
std::map<std::string, std::string> Snapshot(const std::string& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::directory_iterator(folder))
    files[entry.path().filename().string()] = TGameFolder::ReadFile(entry.path().string());
  return files;
}

class ApplyDemoTest : public testing::Test {
 protected:
  void SetUp() override {
    fs::copy(KORVA_DEMO_DIR "/game", game_.Path("game"),
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    fs::copy(KORVA_DEMO_DIR "/music", game_.Path("music"), fs::copy_options::recursive);
    game_.Prompts.Answers = {TPromptAnswer::pcaYes};  // the first-run question
    form_ = game_.NewForm();
    ASSERT_FALSE(form_->TerminationRequested());
    ASSERT_EQ(form_->ListViewConfig->topLevelItemCount(), 12);
  }

  void NewConfig(const QString& name, int source = 0) { RunNewConfig(*form_, name, source); }

  void Assign(const std::string& musicFile, std::initializer_list<int> rows) {
    form_->ListViewFiles->clear();
    auto* row = new QTreeWidgetItem(form_->ListViewFiles);
    row->setText(0, QString::fromStdString(musicFile));
    row->setText(8, QString::fromStdString(game_.Path("music")));
    form_->ListViewFiles->setCurrentItem(row);
    form_->ListViewConfig->clearSelection();
    for (int r : rows) form_->ListViewConfig->topLevelItem(r)->setSelected(true);
    form_->AssignSelectedFile();
  }

  void Apply() {
    game_.Prompts.Answers = {TPromptAnswer::pcaOk};
    form_->ActionApply->trigger();
  }

  TGameFolder game_;
  std::unique_ptr<TFormMain> form_;
};

TEST_F(ApplyDemoTest, ApplyingTwiceAndRestoringTheDefaultLeavesTheFolderAsBefore) {
  const auto before = Snapshot(game_.MusicFolder());
  NewConfig("デモ");
  Assign("sakura.mp3", {0, 1});
  Assign("Live, encore.mp3", {2});
  Assign("Morning Walk.mp3", {3});
  Assign("river.song.mp3", {4});

  Apply();
  EXPECT_EQ(game_.Prompts.Questions.back().Text, "「デモ」を適用します");
  EXPECT_TRUE(game_.Prompts.Messages.empty());
  EXPECT_GT(game_.Prompts.BusyCount, 0);
  EXPECT_EQ(game_.Prompts.BusyDepth, 0);
  const std::string table = TGameFolder::ReadFile(game_.Music("Config.txt"));
  EXPECT_EQ(table.substr(0, table.find("5 victory")),
            "0 sakura,loop\r\n1 sakura,loop\r\n2 Live__encore,loop\r\n3 Morning_Walk,loop\r\n"
            "4 river.song,loop\r\n");
  EXPECT_EQ(TGameFolder::ReadFile(game_.Music("Live__encore.mp3")),
            TGameFolder::ReadFile(game_.Path("music/Live, encore.mp3")));
  const auto afterFirst = Snapshot(game_.MusicFolder());

  Apply();
  EXPECT_EQ(Snapshot(game_.MusicFolder()), afterFirst);

  // After a restart the status bar still says which configuration the game plays.
  EXPECT_EQ(form_->StatusPanelGame->text(), "ゲームの設定: デモ");
  form_->close();
  form_ = game_.NewForm();
  EXPECT_EQ(form_->StatusPanelGame->text(), "ゲームの設定: デモ");

  form_->SelectConfig(0);
  Apply();
  EXPECT_EQ(game_.Prompts.Questions.back().Text, "「<標準>」を適用します");
  EXPECT_EQ(form_->StatusPanelGame->text(), "ゲームの設定: <標準>");
  EXPECT_TRUE(game_.Prompts.Messages.empty());
  EXPECT_EQ(Snapshot(game_.MusicFolder()), before);
}

TEST_F(ApplyDemoTest, ACancelledConfirmationChangesNothing) {
  const auto before = Snapshot(game_.MusicFolder());
  NewConfig("demo");
  Assign("sakura.mp3", {0});
  game_.Prompts.Answers = {TPromptAnswer::pcaCancel};
  form_->ActionApply->trigger();
  EXPECT_EQ(Snapshot(game_.MusicFolder()), before);
  EXPECT_EQ(game_.Prompts.BusyCount, 0);
  EXPECT_EQ(form_->StatusPanelGame->text(), "");  // nothing was applied
  // The shown configuration was saved before the question.
  EXPECT_NE(TGameFolder::ReadFile(game_.Path("prog/demo.m3u")).find("sakura.mp3"),
            std::string::npos);
}

}  // namespace
