// The browsing half of the main window on the bundled demo game: the scene list shows the demo's
// scenes with their labels, and choosing a folder of MP3 files lists them with their tags.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QTreeWidget>
#include <filesystem>

#include "controls/folder_tree_view.h"
#include "tests/app/game_folder.h"

namespace {

namespace fs = std::filesystem;

const fs::path kDemo = fs::path(KORVA_TEST_DATA) / ".." / ".." / ".." / "demo";

QStringList Column(const QTreeWidget& list, int column) {
  QStringList texts;
  for (int row = 0; row < list.topLevelItemCount(); ++row) {
    texts << list.topLevelItem(row)->text(column);
  }
  return texts;
}

class BrowseDemoTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!fs::exists(kDemo / "korva.dat")) GTEST_SKIP() << "no demo folder";
    for (const auto& entry : fs::directory_iterator(kDemo / "game" / "Music" / "Digital")) {
      fs::copy_file(entry.path(), fs::path(game_.MusicFolder()) / entry.path().filename());
    }
    fs::copy_file(fs::path(game_.MusicFolder()) / "Config.txt",
                  fs::path(game_.MusicFolder()) / "Config.org");
    fs::copy_file(kDemo / "korva.dat", game_.Path("prog/korva.dat"));
    fs::copy(kDemo / "music", game_.Path("mine"), fs::copy_options::recursive);
    form_ = game_.NewForm();
  }

  TGameFolder game_;
  std::unique_ptr<TFormMain> form_;
};

TEST_F(BrowseDemoTest, TheSceneListShowsTheDemoScenesWithLabelsAndTags) {
  ASSERT_FALSE(form_->TerminationRequested());
  const QTreeWidget& scenes = *form_->ListViewConfig;
  ASSERT_EQ(scenes.topLevelItemCount(), 12);
  EXPECT_EQ(scenes.topLevelItem(0)->text(0), "タイトル画面");
  EXPECT_EQ(scenes.topLevelItem(11)->text(0), "エンディング");
  EXPECT_EQ(scenes.topLevelItem(0)->text(1), "はい");
  EXPECT_EQ(scenes.topLevelItem(5)->text(1), "");
  EXPECT_EQ(scenes.topLevelItem(1)->text(2), "town");
  for (const QString& title : Column(scenes, 3)) EXPECT_FALSE(title.isEmpty());
  EXPECT_FALSE(form_->ActionDeleteConfig->isEnabled());
}

TEST_F(BrowseDemoTest, ChoosingAFolderListsItsFilesWithTags) {
  ASSERT_NE(form_->TreeViewFolders->SelectPath(game_.Path("mine")), nullptr);
  const QTreeWidget& files = *form_->ListViewFiles;
  QStringList expected;
  for (const auto& entry : fs::directory_iterator(game_.Path("mine"))) {
    if (entry.path().extension() == ".mp3")
      expected << QString::fromStdString(entry.path().filename().string());
  }
  QStringList names = Column(files, 0);
  names.sort();
  expected.sort();
  EXPECT_EQ(names.join('|').toStdString(), expected.join('|').toStdString());
  EXPECT_TRUE(names.contains("Morning Walk.mp3"));
  for (const QString& title : Column(files, 1)) EXPECT_FALSE(title.isEmpty());
  for (const QString& rate : Column(files, 4)) EXPECT_NE(rate, "");

  // The game's folder lists the game's own files only.
  ASSERT_NE(form_->TreeViewFolders->SelectPath(game_.MusicFolder()), nullptr);
  EXPECT_EQ(files.topLevelItemCount(), 12);

  // Jumping from a scene shows its file.
  form_->ListViewConfig->topLevelItem(1)->setSelected(true);
  form_->ActionJumpToFile->trigger();
  EXPECT_EQ(form_->SelectedFilePath(), game_.Music("town.mp3"));
}

}  // namespace
