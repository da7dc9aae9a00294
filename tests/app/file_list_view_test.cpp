#include <QApplication>
#include <QHeaderView>
#include <QMenu>
#include <QMouseEvent>
#include <chrono>
#include <filesystem>
#include <fstream>

#include "app/file_row.h"
#include "platform/files.h"
#include "tests/app/browse_fixture.h"
#include "tests/platform/permissions_bind.h"

namespace {

using FileListViewTest = BrowseTest;

int64_t Number(const QTreeWidget& list, int row, int column) {
  return list.topLevelItem(row)->data(column, Qt::UserRole).toLongLong();
}

int RowOf(const QTreeWidget& list, const QString& name) {
  for (int row = 0; row < list.topLevelItemCount(); ++row) {
    if (list.topLevelItem(row)->text(fcName) == name) return row;
  }
  return -1;
}

TEST_F(FileListViewTest, ListsTheMp3FilesOfAFolderWithTagsAndStreamFacts) {
  CopyFixture("alpha.mp3", "music/alpha.mp3");
  CopyFixture("beta.mp3", "music/BETA.MP3");
  CopyFixture("gamma.mp3", "music/notes.txt");
  file_list_->FillFileList(Path("music"));

  ASSERT_EQ(files_.topLevelItemCount(), 2);
  const int alpha = RowOf(files_, "alpha.mp3");
  const int beta = RowOf(files_, "BETA.MP3");
  ASSERT_GE(alpha, 0);
  ASSERT_GE(beta, 0);
  EXPECT_EQ(files_.topLevelItem(alpha)->text(fcTitle), "Alpha");
  EXPECT_EQ(files_.topLevelItem(alpha)->text(fcArtist), "Artist A");
  EXPECT_EQ(files_.topLevelItem(alpha)->text(fcSize), "5 KB");
  EXPECT_EQ(Number(files_, alpha, fcSize), 4523);
  EXPECT_EQ(files_.topLevelItem(alpha)->text(fcBitRate), "128");
  EXPECT_EQ(files_.topLevelItem(alpha)->text(fcSampleRate), "44,100");
  EXPECT_EQ(Number(files_, alpha, fcSampleRate), 44100);
  EXPECT_EQ(files_.topLevelItem(alpha)->text(fcChannels), "ステレオ");
  EXPECT_EQ(Number(files_, alpha, fcChannels), 1);
  EXPECT_EQ(files_.topLevelItem(alpha)->text(fcFolder).toStdString(), Path("music"));
  EXPECT_FALSE(files_.topLevelItem(alpha)->text(fcDate).isEmpty());
  EXPECT_GT(Number(files_, alpha, fcDate), 0);
  // 0.2 s of sound: the time column shows whole seconds, sorts by milliseconds, right-aligned.
  EXPECT_EQ(files_.topLevelItem(alpha)->text(fcDuration), "0:00");
  EXPECT_GT(Number(files_, alpha, fcDuration), 150);
  EXPECT_EQ(files_.topLevelItem(alpha)->textAlignment(fcDuration) & Qt::AlignRight, Qt::AlignRight);

  EXPECT_EQ(files_.topLevelItem(beta)->text(fcSampleRate), "22,050");
  EXPECT_EQ(files_.topLevelItem(beta)->text(fcChannels), "モノラル");
  EXPECT_EQ(files_.columnWidth(fcFolder), 0) << "one folder: the folder column is hidden";

  files_.setCurrentItem(files_.topLevelItem(alpha));
  EXPECT_EQ(file_list_->SelectedFilePath(), Path("music/alpha.mp3"));
  EXPECT_EQ(status_.text(), "Alpha - Album A (Artist A) 2001 First");

  file_list_->FillFileList(Path("missing"));
  EXPECT_EQ(files_.topLevelItemCount(), 2) << "a missing folder leaves the list alone";
}

TEST_F(FileListViewTest, UnreadableFilesGetEmptyColumnsAndTheFillingGoesOn) {
  CopyFixture("alpha.mp3", "music/1-alpha.mp3");
  CopyFixture("late_sync.mp3", "music/2-late.mp3");
  std::ofstream(Path("music/3-empty.mp3"));
  CopyFixture("gamma.mp3", "music/4-gamma.mp3");
  std::filesystem::resize_file(Path("music/4-gamma.mp3"), 300);
  CopyFixture("no_sync.mp3", "music/5-nosync.mp3");
  CopyFixture("beta.mp3", "music/6-beta.mp3");
  file_list_->FillFileList(Path("music"));

  ASSERT_EQ(files_.topLevelItemCount(), 6);
  EXPECT_EQ(files_.topLevelItem(RowOf(files_, "1-alpha.mp3"))->text(fcTitle), "Alpha");
  EXPECT_EQ(files_.topLevelItem(RowOf(files_, "6-beta.mp3"))->text(fcTitle), "Beta");
  for (const char* bad : {"2-late.mp3", "3-empty.mp3", "4-gamma.mp3"}) {
    const int row = RowOf(files_, bad);
    ASSERT_GE(row, 0) << bad;
    for (int column : {fcTitle, fcArtist, fcBitRate, fcSampleRate, fcChannels}) {
      EXPECT_EQ(files_.topLevelItem(row)->text(column), "") << bad << " column " << column;
      EXPECT_EQ(Number(files_, row, column), 0) << bad;
    }
    EXPECT_FALSE(files_.topLevelItem(row)->text(fcSize).isEmpty());
    files_.setCurrentItem(files_.topLevelItem(row));
    EXPECT_EQ(status_.text(), "") << bad;
  }

  // A file without any frame sync counts as read: no tags, zero numbers, mono.
  const int no_sync = RowOf(files_, "5-nosync.mp3");
  EXPECT_EQ(files_.topLevelItem(no_sync)->text(fcTitle), "");
  EXPECT_EQ(files_.topLevelItem(no_sync)->text(fcBitRate), "0");
  EXPECT_EQ(files_.topLevelItem(no_sync)->text(fcSampleRate), "0");
  EXPECT_EQ(files_.topLevelItem(no_sync)->text(fcChannels), "モノラル");
  EXPECT_EQ(files_.topLevelItem(no_sync)->text(fcSize), "23 Byte");
}

TEST_F(FileListViewTest, SortingReversesOnEveryClickAndNumbersGoLargestFirst) {
  CopyFixture("alpha.mp3", "music/b.mp3");
  CopyFixture("beta.mp3", "music/C.mp3");
  CopyFixture("gamma.mp3", "music/a.mp3");
  file_list_->FillFileList(Path("music"));
  files_.setCurrentItem(files_.topLevelItem(RowOf(files_, "C.mp3")));

  file_list_->SortFiles(fcName);
  EXPECT_EQ(Column(files_, fcName), QStringList({"a.mp3", "b.mp3", "C.mp3"}));
  EXPECT_EQ(file_list_->SortMark(fcName), 1);
  file_list_->SortFiles(fcName);
  EXPECT_EQ(Column(files_, fcName), QStringList({"C.mp3", "b.mp3", "a.mp3"}));
  EXPECT_EQ(file_list_->SortMark(fcName), -1);
  EXPECT_EQ(files_.selectedItems().value(0)->text(fcName), "C.mp3") << "selection kept";

  file_list_->SortFiles(fcSize);
  EXPECT_EQ(Column(files_, fcName), QStringList({"a.mp3", "b.mp3", "C.mp3"}));
  EXPECT_EQ(file_list_->SortMark(fcName), 0);
  EXPECT_EQ(file_list_->SortMark(fcSize), 1);

  file_list_->SortFiles(fcTitle);
  EXPECT_EQ(Column(files_, fcTitle), QStringList({"Alpha", "Beta", "Gamma"}));

  files_.header()->sectionClicked(fcArtist);
  EXPECT_EQ(file_list_->SortMark(fcArtist), 1);

  file_list_->FillFileList(Path("music"));
  EXPECT_EQ(file_list_->SortMark(fcArtist), 0) << "filling clears the marks";
}

// "日付時刻でソート(&T)" sorts newest first by the date column; "ファイルパスでソート(&P)" by
// folder, then name, as the rows a search found in several folders need.
TEST_F(FileListViewTest, TheTimeAndPathActionsSortByDateAndByFolderAndName) {
  const auto at = [](int hours) {
    return std::filesystem::file_time_type::clock::now() - std::chrono::hours(hours);
  };
  for (auto [fixture, relative, age] :
       {std::tuple{"alpha.mp3", "b/x.mp3", 3}, std::tuple{"beta.mp3", "a/z.mp3", 1},
        std::tuple{"gamma.mp3", "a/y.mp3", 2}}) {
    std::filesystem::last_write_time(CopyFixture(fixture, relative), at(age));
  }
  file_list_->AddFileRow(Path("b"), "x.mp3");
  file_list_->AddFileRow(Path("a"), "z.mp3");
  file_list_->AddFileRow(Path("a"), "y.mp3");
  file_list_->ShowPendingRows();

  sort_actions_[4]->trigger();
  EXPECT_EQ(file_list_->SortMark(fcDate), 1);
  EXPECT_EQ(Column(files_, fcName), QStringList({"z.mp3", "y.mp3", "x.mp3"}));
  sort_actions_[5]->trigger();
  EXPECT_EQ(file_list_->SortMark(fcFolder), 1);
  EXPECT_EQ(Column(files_, fcName), QStringList({"y.mp3", "z.mp3", "x.mp3"}));
}

// A file that cannot be opened is not taken for one without a frame header.
TEST_F(FileListViewTest, AFileThatCannotBeOpenedGetsEmptyColumns) {
  const std::string path = CopyFixture("alpha.mp3", "music/locked.mp3");
  TPermissionsBind bind;
  if (!bind.Active()) GTEST_SKIP() << "file permissions do not bind this process";
  std::filesystem::permissions(path, std::filesystem::perms::none);
  file_list_->FillFileList(Path("music"));
  ASSERT_EQ(files_.topLevelItemCount(), 1);
  for (int column : {fcTitle, fcBitRate, fcSampleRate, fcChannels}) {
    EXPECT_EQ(files_.topLevelItem(0)->text(column), "") << column;
  }
  EXPECT_EQ(files_.topLevelItem(0)->text(fcSize), "5 KB");
}

// The node of a folder deleted on disk gives way to its parent, whose files the list shows.
TEST_F(FileListViewTest, TheNodeOfADeletedFolderGivesWayToItsParent) {
  CopyFixture("alpha.mp3", "music/a.mp3");
  CopyFixture("beta.mp3", "music/gone/b.mp3");
  CopyFixture("gamma.mp3", "music/kept/c.mp3");
  TFolderTreeNode* music = tree_->SelectPath(Path("music"));
  ASSERT_NE(music, nullptr);
  music->setExpanded(true);
  ASSERT_NE(tree_->SelectPath(Path("music/kept")), nullptr);
  TFolderTreeNode* gone = music->ChildNode(0);
  ASSERT_EQ(gone->Path(), Path("music/gone"));
  std::filesystem::remove_all(Path("music/gone"));

  EXPECT_EQ(tree_->SelectPath(Path("music/gone")), nullptr);
  tree_->setCurrentItem(gone);
  QApplication::processEvents();
  std::string selected;
  tree_->GetSelectedPath(selected);
  EXPECT_EQ(selected, Path("music"));
  EXPECT_EQ(music->childCount(), 1);
  EXPECT_EQ(Column(files_, fcName), QStringList({"a.mp3"}));
}

TEST_F(FileListViewTest, SortActionsRemovalAndPopupNeedTwoRows) {
  CopyFixture("alpha.mp3", "one/a.mp3");
  CopyFixture("alpha.mp3", "two/a.mp3");
  CopyFixture("beta.mp3", "two/b.mp3");

  file_list_->FillFileList(Path("one"));
  files_.setCurrentItem(files_.topLevelItem(0));
  file_list_->UpdatePopupMenuFiles();
  for (auto& action : sort_actions_) EXPECT_FALSE(action->isEnabled());
  EXPECT_FALSE(file_list_->MenuSort->isEnabled());
  EXPECT_FALSE(file_list_->MenuItemRemove->isEnabled());
  EXPECT_TRUE(file_list_->MenuItemPlay->isEnabled());
  EXPECT_FALSE(file_list_->MenuItemAssign->isEnabled()) << "no scene rows to assign to";

  file_list_->FillFileList(Path("two"));
  file_list_->UpdatePopupMenuFiles();
  for (auto& action : sort_actions_) EXPECT_TRUE(action->isEnabled());
  EXPECT_TRUE(file_list_->MenuItemRemove->isEnabled());
  EXPECT_FALSE(file_list_->MenuItemPlay->isEnabled()) << "no row selected";

  file_list_->CanAssignToScenes = [] { return true; };
  files_.setCurrentItem(files_.topLevelItem(RowOf(files_, "b.mp3")));
  file_list_->UpdatePopupMenuFiles();
  EXPECT_TRUE(file_list_->MenuItemAssign->isEnabled());
  file_list_->MenuItemRemove->trigger();
  EXPECT_EQ(Column(files_, fcName), QStringList({"a.mp3"}));
  EXPECT_TRUE(std::filesystem::exists(Path("two/b.mp3"))) << "the file itself stays";
  for (auto& action : sort_actions_) EXPECT_FALSE(action->isEnabled());
}

TEST_F(FileListViewTest, TheMusicFolderShowsOnlyTheGamesOwnFiles) {
  CopyFixture("alpha.mp3", "game/Music/Digital/Town.mp3");
  CopyFixture("beta.mp3", "game/Music/Digital/Battle.mp3");
  CopyFixture("gamma.mp3", "game/Music/Digital/korva_copy.mp3");
  music_folder_ = Path("game/Music/Digital");
  for (const char* name : {"town.mp3", "Battle.mp3"}) {
    default_config_.Add().FileName = JoinPath(music_folder_, name);
  }
  default_config_.SetDefault(true);

  file_list_->FillFileList(music_folder_);
  QStringList names = Column(files_, fcName);
  names.sort();
  EXPECT_EQ(names, QStringList({"Battle.mp3", "Town.mp3"}));

  file_list_->FillFileList(Path("game/Music"));
  EXPECT_EQ(files_.topLevelItemCount(), 0);
}

TEST_F(FileListViewTest, TreeSelectionListsTheFolderAndUpdateTreeReadsItAgain) {
  CopyFixture("alpha.mp3", "music/live/a.mp3");
  ASSERT_NE(tree_->SelectPath(Path("music/live")), nullptr);
  EXPECT_EQ(Column(files_, fcName), QStringList({"a.mp3"}));

  CopyFixture("beta.mp3", "music/live/b.mp3");
  std::filesystem::create_directories(Path("music/new"));
  update_tree_.trigger();
  EXPECT_EQ(files_.topLevelItemCount(), 2);
  auto* music = tree_->SelectPath(Path("music"));
  ASSERT_NE(music, nullptr);
  EXPECT_EQ(music->childCount(), 2) << "the new folder shows after the update";

  file_list_->UpdatePopupMenuTree();
  EXPECT_TRUE(file_list_->MenuItemSearch->isEnabled());
  EXPECT_EQ(file_list_->PopupTreePath, Path("music"));
}

TEST_F(FileListViewTest, JumpToFileSelectsTheFolderAndTheRowWithoutRegardToCase) {
  CopyFixture("alpha.mp3", "music/a.mp3");
  CopyFixture("beta.mp3", "music/Other.mp3");
  CopyFixture("gamma.mp3", "elsewhere/c.mp3");
  ASSERT_NE(tree_->SelectPath(Path("elsewhere")), nullptr);

  EXPECT_TRUE(file_list_->JumpToFile(Path("music/other.MP3")));
  std::string folder;
  tree_->GetSelectedPath(folder);
  EXPECT_EQ(folder, Path("music"));
  EXPECT_EQ(file_list_->SelectedFilePath(), Path("music/Other.mp3"));
  EXPECT_FALSE(file_list_->JumpToFile(Path("music/missing.mp3")));
}

}  // namespace

namespace {

TEST_F(FileListViewTest, NumbersFollowTheLocalesDigitGrouping) {
  QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
  CopyFixture("alpha.mp3", "music/a.mp3");
  std::filesystem::resize_file(Path("music/a.mp3"), 1'499'999);
  CopyFixture("no_sync.mp3", "music/b.mp3");
  std::filesystem::resize_file(Path("music/b.mp3"), 999);
  file_list_->FillFileList(Path("music"));
  const int a = RowOf(files_, "a.mp3");
  EXPECT_EQ(files_.topLevelItem(a)->text(fcSize), "1.500 KB");
  EXPECT_EQ(files_.topLevelItem(a)->text(fcSampleRate), "44.100");
  EXPECT_EQ(files_.topLevelItem(RowOf(files_, "b.mp3"))->text(fcSize), "999 Byte");
}

TEST_F(FileListViewTest, AClickOnAFoldersNameOpensAndClosesIt) {
  std::filesystem::create_directories(Path("music/inner"));
  tree_->resize(400, 600);
  tree_->show();
  TFolderTreeNode* music = tree_->SelectPath(Path("music"));
  ASSERT_NE(music, nullptr);
  ASSERT_FALSE(music->isExpanded());
  const QRect cell = tree_->visualItemRect(music);
  const auto click = [&](int x) {
    const QPointF at(x, cell.center().y());
    QMouseEvent release(QEvent::MouseButtonRelease, at, tree_->viewport()->mapToGlobal(at),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(tree_->viewport(), &release);
  };
  click(cell.left() + 2);
  EXPECT_TRUE(music->isExpanded());
  EXPECT_EQ(music->childCount(), 1);
  click(cell.left() + 2);
  EXPECT_FALSE(music->isExpanded());
  click(cell.right() - 2);
  EXPECT_FALSE(music->isExpanded()) << "beyond the caption nothing happens";
}

}  // namespace
