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
#include "tests/platform/scoped_env.h"

namespace {

class SearchTest : public BrowseTest {
 protected:
  // Runs the search command, answering its dialog with the folder and the filter (or cancelling
  // it), and returns the folder the dialog proposed.
  QString Search(const std::string* folder, const QString& filter = {},
                 const std::string& proposal = {}) {
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
      dialog->EditFilter->setText(filter);
      dialog->ButtonOk->click();
    });
    SearchMp3Files(nullptr, *file_list_, prompts_, proposal);
    return proposed;
  }

  // The listed files as paths below the home folder, in list order.
  QStringList Found() const {
    QStringList found;
    for (int row = 0; row < files_.topLevelItemCount(); ++row) {
      const QTreeWidgetItem* item = files_.topLevelItem(row);
      found << QString::fromStdString(
          std::filesystem::relative(
              JoinPath(item->text(fcFolder).toStdString(), item->text(fcName).toStdString()), home_)
              .generic_string());
    }
    return found;
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
  // Depth first in name order: the folder "live" comes between b.mp3 and z.mp3.
  CopyFixture("beta.mp3", "music/z.mp3");
  Search(&folder);
  EXPECT_EQ(Found(),
            QStringList({"music/a.MP3", "music/b.mp3", "music/live/1999/d.mp3", "music/z.mp3"}));
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

TEST_F(SearchTest, TheContextMenuSearchesItsFolderAndTheMenuTheSelectedOne) {
  std::filesystem::create_directories(Path("first"));
  std::filesystem::create_directories(Path("second"));
  std::string requested;
  QObject::connect(file_list_.get(), &TFileListView::SearchFolderRequested,
                   [&](const std::string& folder) { requested = folder; });
  tree_->SelectPath(Path("first"));
  file_list_->UpdatePopupMenuTree();  // the context menu opens on "first"
  EXPECT_TRUE(file_list_->MenuItemSearch->isEnabled());
  EXPECT_EQ(file_list_->MenuItemSearch->shortcut(), QKeySequence(Qt::Key_F3));
  file_list_->MenuItemSearch->trigger();
  EXPECT_EQ(requested, Path("first"));

  // Later, from the main menu or F3, the folder selected since then is the one meant.
  tree_->SelectPath(Path("second"));
  EXPECT_EQ(file_list_->SelectedFolder(), Path("second"));
  EXPECT_EQ(Search(nullptr, {}, file_list_->SelectedFolder()).toStdString(), Path("second"));
}

TEST_F(SearchTest, TheFilterKeepsFilesByNameTitleArtistOrAlbumAndTildeIsHome) {
#ifdef _WIN32
  GTEST_SKIP() << "\"~\" is the home folder of a Linux shell, and this test's paths are UTF-8";
#endif
  CopyFixture("alpha.mp3", "music/one.mp3");      // title Alpha, album "Album A"
  CopyFixture("beta.mp3", "music/ﾃｽﾄ.mp3");       // half-width katakana in the name
  CopyFixture("gamma.mp3", "music/sub/two.mp3");  // title Gamma, artist "Artist C"
  const std::string music = "~/music";
  Search(&music, QStringLiteral("ＡＬＢＵＭ　ａ"));  // full-width, other case
  EXPECT_EQ(Found(), QStringList({"music/one.mp3"}));
  Search(&music, QStringLiteral("テスト"));
  EXPECT_EQ(Found(), QStringList({"music/ﾃｽﾄ.mp3"}));
  Search(&music, QStringLiteral("artist c"));
  EXPECT_EQ(Found(), QStringList({"music/sub/two.mp3"}));
  Search(&music, QStringLiteral("nothing like it"));
  EXPECT_EQ(Found(), QStringList());
  EXPECT_TRUE(prompts_.Messages.empty());
}

#ifndef _WIN32  // Windows paths are local there.
TEST_F(SearchTest, WindowsPathsOfTheWinePrefixNameItsDrives) {
  // Wine keeps a link per drive letter; the game's folders are typed as Windows shows them.
  const std::string prefix = Path("prefix");
  std::filesystem::create_directories(prefix + "/drive_c/Music");
  std::filesystem::create_directories(prefix + "/dosdevices");
  std::filesystem::create_directory_symlink("../drive_c", prefix + "/dosdevices/c:");
  const TEnv wine("WINEPREFIX", prefix.c_str());
  // The drive is named by its real folder, as the folder tree shows it.
  EXPECT_EQ(SearchFolderFromTyped("C:\\Music\\"), prefix + "/drive_c/Music");
  EXPECT_EQ(SearchFolderFromTyped(" ~/x/ "), Path("x"));
  EXPECT_EQ(SearchFolderFromTyped("Q:\\Music"), "Q:\\Music");  // no such drive: left as typed
}
#endif

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
