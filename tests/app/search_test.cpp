// The search for MP3 files below a folder, on the browsing half of the window.
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <filesystem>
#include <fstream>

#include "app/busy_work.h"
#include "app/file_row.h"
#include "app/search.h"
#include "platform/files.h"
#include "tests/app/browse_fixture.h"
#include "tests/app/config/fake_prompts.h"

namespace {

class SearchTest : public BrowseTest {
 protected:
  // Runs the search command, answering its dialog with the folder (or cancelling it), and
  // returns the folder the dialog proposed.
  QString Search(const std::string* folder) {
    QString proposed;
    QTimer::singleShot(0, [&] {
      auto* dialog = qobject_cast<TFormSearchDialog*>(QApplication::activeModalWidget());
      ASSERT_NE(dialog, nullptr);
      proposed = dialog->EditFolder->text();
      if (folder == nullptr) {
        dialog->ButtonCancel->click();
        return;
      }
      dialog->EditFolder->setText(QString::fromStdString(*folder));
      dialog->ButtonOk->click();
    });
    SearchMp3Files(nullptr, *file_list_, prompts_);
    return proposed;
  }

  TFakePrompts prompts_;
};

TEST_F(SearchTest, ListsEveryMp3FileBelowTheFolderWithItsFolder) {
  CopyFixture("alpha.mp3", "music/a.MP3");
  CopyFixture("beta.mp3", "music/b.mp3");
  CopyFixture("gamma.mp3", "music/c.mp3.bak");
  CopyFixture("gamma.mp3", "music/live/1999/d.mp3");
  std::error_code error;
  std::filesystem::create_directory_symlink(Path("music"), Path("music/live/loop"), error);
  if (error) GTEST_SKIP() << "no symbolic link to a folder can be made here: " << error.message();

  const std::string folder = Path("music") + "/";
  Search(&folder);
  QStringList found;
  for (int row = 0; row < files_.topLevelItemCount(); ++row) {
    const QTreeWidgetItem* item = files_.topLevelItem(row);
    found << QString::fromStdString(
        std::filesystem::relative(
            JoinPath(item->text(fcFolder).toStdString(), item->text(fcName).toStdString()), home_)
            .string());
  }
  found.sort();
  EXPECT_EQ(found, QStringList({"music/a.MP3", "music/b.mp3", "music/live/1999/d.mp3"}));
  EXPECT_GT(files_.columnWidth(fcFolder), 0);
  EXPECT_TRUE(sort_actions_[0]->isEnabled());
  EXPECT_TRUE(prompts_.Messages.empty());

  // One result leaves nothing to sort.
  const std::string live = Path("music/live/1999");
  Search(&live);
  EXPECT_EQ(files_.topLevelItemCount(), 1);
  EXPECT_FALSE(sort_actions_[0]->isEnabled());
}

TEST_F(SearchTest, AMissingFolderOrACancelledDialogLeavesTheListAlone) {
  CopyFixture("alpha.mp3", "music/a.mp3");
  CopyFixture("beta.mp3", "music/b.mp3");
  file_list_->FillFileList(Path("music"));
  const std::string missing = Path("nowhere");
  Search(&missing);
  EXPECT_EQ(prompts_.Messages, std::vector<std::string>{"存在しないフォルダです"});
  EXPECT_EQ(files_.topLevelItemCount(), 2);
  Search(nullptr);
  EXPECT_EQ(files_.topLevelItemCount(), 2);
  EXPECT_EQ(prompts_.Messages.size(), 1u);
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(SearchTest, TheDialogProposesTheContextMenusFolderWhileItsNodeIsInTheTree) {
  std::filesystem::create_directories(Path("first"));
  std::filesystem::create_directories(Path("second"));
  tree_->SelectPath(Path("first"));
  file_list_->UpdatePopupMenuTree();  // the context menu opens on "first"
  EXPECT_TRUE(file_list_->MenuItemSearch->isEnabled());
  tree_->SelectPath(Path("second"));
  EXPECT_EQ(Search(nullptr).toStdString(), Path("first"));

  std::filesystem::remove(Path("first"));
  tree_->RefreshAll();
  EXPECT_EQ(Search(nullptr).toStdString(), Path("second"));
}

TEST_F(SearchTest, EscStopsALongWalkAndKeepsWhatItFound) {
  constexpr int kFolders = 2000;
  for (int i = 0; i < kFolders; ++i) {
    const std::string folder = Path("big/all/" + std::to_string(i));
    std::filesystem::create_directories(folder);
    std::ofstream(folder + "/song.mp3") << "x";
  }
  // Found before the walk reads the large folder, however long that takes (under Wine, longer
  // than the walk waits between two looks at the queue).
  std::ofstream(Path("big/first.mp3")) << "x";
  status_.setText("summary");
  // The key waits in the queue until the walk first lets the window breathe.
  QCoreApplication::postEvent(&files_, new QKeyEvent(QEvent::KeyPress, Qt::Key_Escape, {}));
  file_list_->ListFolderTree(Path("big"));

  EXPECT_GT(files_.topLevelItemCount(), 0);
  EXPECT_LT(files_.topLevelItemCount(), kFolders);
  EXPECT_TRUE(sort_actions_[0]->isEnabled());
  EXPECT_EQ(status_.text(), "summary");
}

}  // namespace
