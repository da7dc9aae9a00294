#include "controls/folder_tree_view.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "controls/folder_listing.h"
#include "tests/platform/scoped_env.h"

namespace fs = std::filesystem;

namespace {

// A home folder of its own in a temporary folder, so that the tree's second root is a tree the
// test builds.
class FolderTreeViewTest : public testing::Test {
 protected:
  void SetUp() override {
    const char* old_home = std::getenv("HOME");
    old_home_ = old_home ? old_home : "";
    home_ =
        fs::temp_directory_path() / ("korva-tree-" + std::to_string(::getpid()) + "-" +
                                     testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(home_);
    fs::create_directories(home_);
    setenv("HOME", home_.string().c_str(), 1);
  }
  void TearDown() override {
    setenv("HOME", old_home_.c_str(), 1);
    fs::remove_all(home_);
  }

  std::string Make(const std::string& relative) {
    fs::create_directories(home_ / relative);
    return (home_ / relative).make_preferred().string();
  }
  std::string Home() const { return home_.string(); }
  // Off Windows the test's home folder is the tree's second root; on Windows the roots are the
  // drives, and the tests that work below that root do not apply.
  static bool HomeIsRoot() {
#ifdef _WIN32
    return false;
#else
    return true;
#endif
  }

  static QStringList Captions(const QTreeWidgetItem* node) {
    QStringList captions;
    for (int i = 0; i < node->childCount(); ++i) captions << node->child(i)->text(0);
    return captions;
  }

  static void SendKey(QWidget& widget, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    const QString text = key == Qt::Key_Space ? QStringLiteral(" ") : QString();
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(&widget, &press);
  }

  fs::path home_;
  std::string old_home_;
};

TEST_F(FolderTreeViewTest, RootsAreTheFileSystemRootThenTheHomeFolder) {
  if (!HomeIsRoot()) GTEST_SKIP() << "the roots are the drives here";
  TFolderTreeView tree;
  ASSERT_GE(tree.topLevelItemCount(), 2);
  EXPECT_EQ(tree.RootNode(0)->Path(), "/");
  EXPECT_EQ(tree.RootNode(1)->Path(), Home());
  EXPECT_EQ(tree.RootNode(0)->childCount(), 0) << "no folder is read before it is opened";
  EXPECT_FALSE(tree.RootNode(1)->HasChildrenMark()) << "the new home folder is empty";

  tree.SetDriveTypes({dtNoDrive, dtCDROM});
  EXPECT_TRUE(tree.LoadDrives(tree.DriveTypes()));
  EXPECT_EQ(tree.topLevelItemCount(), 0) << "root folders count as fixed drives";
}

TEST_F(FolderTreeViewTest, ExpandingReadsSortedSubfoldersAndDropsAnEmptyMark) {
  if (!HomeIsRoot()) GTEST_SKIP() << "the roots are the drives here";
  Make("b");
  Make("A/inner");
  Make("c");
  Make(".hidden");
  TFolderTreeView tree;
  TFolderTreeNode* home = tree.RootNode(1);
  ASSERT_TRUE(home->HasChildrenMark());

  home->setExpanded(true);
  EXPECT_EQ(Captions(home), QStringList({".hidden", "A", "b", "c"}));
  EXPECT_EQ(home->ChildNode(1)->Path(), Home() + "/A");
  EXPECT_TRUE(home->ChildNode(1)->HasChildrenMark());
  TFolderTreeNode* b = home->ChildNode(2);
  EXPECT_FALSE(b->HasChildrenMark());

  fs::create_directories(home_ / "c" / "late");
  fs::remove_all(home_ / "c" / "late");
  TFolderTreeNode* c = home->ChildNode(3);
  c->SetHasChildrenMark(true);  // A promise that turns out empty when the folder is read.
  c->setExpanded(true);
  EXPECT_FALSE(c->HasChildrenMark());
  EXPECT_FALSE(c->isExpanded());
}

TEST_F(FolderTreeViewTest, SelectPathFindsFoldersInAnyLetterCaseButNotWithATrailingSeparator) {
  if (!HomeIsRoot()) GTEST_SKIP() << "the roots are the drives here";
  const std::string live = Make("Music/Live");
  Make("Other");
  TFolderTreeView tree;
  int waits = 0;
  QObject::connect(&tree, &TFolderTreeView::WaitingChanged, [&](bool on) { waits += on; });

  TFolderTreeNode* node = tree.SelectPath(live);
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->Path(), live);
  EXPECT_EQ(node->parent(), tree.RootNode(1)->ChildNode(0)) << "found below the home root";
  EXPECT_EQ(waits, 1);
  std::string selected;
  EXPECT_EQ(tree.GetSelectedPath(selected), node);
  EXPECT_EQ(selected, live);
  EXPECT_TRUE(node->parent()->isExpanded());

  EXPECT_EQ(tree.SelectPath(Home() + "/mUSIC/LIVE"), node);
  EXPECT_EQ(tree.SelectPath(live + "/"), nullptr);
  EXPECT_EQ(tree.SelectPath(Home() + "/Missing"), nullptr);
  EXPECT_EQ(tree.GetSelectedPath(selected), node) << "a failed search keeps the selection";

  TFolderTreeNode* root = tree.SelectPath("/");
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root, tree.RootNode(0));
}

TEST_F(FolderTreeViewTest, SelectPathPrefersTheFolderInExactLetterCase) {
  Make("music");
  const std::string upper = Make("Music");
  if (fs::equivalent(home_ / "music", home_ / "Music")) {
    GTEST_SKIP() << "the file system does not tell letter case apart";
  }
  TFolderTreeView tree;
  TFolderTreeNode* node = tree.SelectPath(upper);
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(node->Path(), upper);
}

TEST_F(FolderTreeViewTest, NothingSelectedGivesAnEmptyPath) {
  TFolderTreeView tree;
  std::string path = "stale";
  EXPECT_EQ(tree.GetSelectedPath(path), nullptr);
  EXPECT_EQ(path, "");
}

TEST_F(FolderTreeViewTest, RefreshAllFollowsFoldersCreatedAndDeletedOnDisk) {
  if (!HomeIsRoot()) GTEST_SKIP() << "the roots are the drives here";
  Make("Music/b");
  Make("Music/d");
  Make("Closed/x");
  TFolderTreeView tree;
  TFolderTreeNode* home = tree.RootNode(1);
  home->setExpanded(true);
  TFolderTreeNode* closed = home->ChildNode(0);
  TFolderTreeNode* music = home->ChildNode(1);
  music->setExpanded(true);
  closed->setExpanded(true);
  closed->setExpanded(false);
  ASSERT_EQ(closed->childCount(), 1);
  TFolderTreeNode* b = music->ChildNode(0);

  Make("Music/a");
  Make("Music/c");
  Make("Music/e");
  fs::remove_all(home_ / "Music" / "d");
  Make("b-was-empty");
  fs::create_directories(home_ / "Music" / "b" / "inner");
  int waits = 0;
  QObject::connect(&tree, &TFolderTreeView::WaitingChanged, [&](bool on) { waits += on; });
  tree.RefreshAll();

  EXPECT_EQ(waits, 1);
  EXPECT_EQ(Captions(music), QStringList({"a", "b", "c", "e"}));
  EXPECT_EQ(music->ChildNode(1), b) << "a folder still on disk keeps its node";
  EXPECT_TRUE(b->HasChildrenMark());
  EXPECT_EQ(music->ChildNode(2)->Path(), Home() + "/Music/c");
  EXPECT_EQ(Captions(home), QStringList({"b-was-empty", "Closed", "Music"}));
  EXPECT_EQ(closed->childCount(), 0) << "collapsed nodes are read again when opened";
  EXPECT_TRUE(closed->HasChildrenMark());

  fs::remove_all(home_ / "Music");
  tree.RefreshNode(music, false);
  EXPECT_EQ(music->childCount(), 0);
  EXPECT_FALSE(music->isExpanded());
  EXPECT_FALSE(music->HasChildrenMark());
}

TEST_F(FolderTreeViewTest, AsteriskReadsTheWholeSubtreeUnderOneWaitAndStopsAtLinks) {
  Make("top/a/a1/a2");
  Make("top/b");
  std::error_code error;
  fs::create_directory_symlink(home_, home_ / "top" / "loop", error);
  if (error) GTEST_SKIP() << "no symbolic link to a folder can be made here: " << error.message();
  TFolderTreeView tree;
  TFolderTreeNode* top = tree.SelectPath(Home() + "/top");
  ASSERT_NE(top, nullptr);
  int waits = 0;
  QObject::connect(&tree, &TFolderTreeView::WaitingChanged, [&](bool on) { waits += on; });

  SendKey(tree, Qt::Key_Asterisk, Qt::KeypadModifier);

  EXPECT_EQ(waits, 1);
  EXPECT_EQ(Captions(top), QStringList({"a", "b", "loop"}));
  TFolderTreeNode* a2 = top->ChildNode(0)->ChildNode(0)->ChildNode(0);
  ASSERT_NE(a2, nullptr);
  EXPECT_TRUE(top->ChildNode(0)->ChildNode(0)->isExpanded());
  EXPECT_EQ(top->ChildNode(2)->childCount(), 0) << "a link is not followed";
}

TEST_F(FolderTreeViewTest, CheckedIsReportedOnlyWithCheckboxes) {
  const std::string one = Make("one");
  TFolderTreeView tree;
  int calls = 0;
  bool last = false;
  TFolderTreeNode* reported = nullptr;
  tree.OnChecked = [&](TFolderTreeView*, TFolderTreeNode* n, bool checked) {
    reported = n;
    ++calls;
    last = checked;
  };
  TFolderTreeNode* node = tree.SelectPath(one);
  ASSERT_NE(node, nullptr);
  EXPECT_EQ(tree.currentItem(), node);
  SendKey(tree, Qt::Key_Space);
  EXPECT_EQ(tree.currentItem(), node);
  EXPECT_EQ(calls, 0);
  EXPECT_FALSE(tree.IsChecked(node));

  tree.SetCheckboxes(true);
  SendKey(tree, Qt::Key_Space);
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(last);
  EXPECT_EQ(reported, node);
  EXPECT_TRUE(tree.IsChecked(node));

  tree.SetChecked(node, false);
  EXPECT_EQ(calls, 1) << "a change made by the program is not reported";
  EXPECT_FALSE(tree.IsChecked(node));
}

TEST_F(FolderTreeViewTest, CreateNodeAndBeginMouseDownHooksAreCalled) {
  if (!HomeIsRoot()) GTEST_SKIP() << "the roots are the drives here";
  Make("x");
  Make("y");
  TFolderTreeView tree;
  std::vector<std::string> created;
  tree.OnCreateNode = [&](TFolderTreeView*, TFolderTreeNode* node) {
    created.push_back(node->Path());
  };
  tree.RootNode(1)->setExpanded(true);
  EXPECT_EQ(created, std::vector<std::string>({Home() + "/x", Home() + "/y"}));

  int presses = 0;
  tree.OnBeginMouseDown = [&](TFolderTreeView*, Qt::MouseButton button, Qt::KeyboardModifiers,
                              int x, int y) {
    ++presses;
    EXPECT_EQ(button, Qt::LeftButton);
    EXPECT_EQ(x, 3);
    EXPECT_EQ(y, 4);
  };
  QMouseEvent right(QEvent::MouseButtonPress, QPointF(3, 4), QPointF(3, 4), Qt::RightButton,
                    Qt::RightButton, Qt::NoModifier);
  QApplication::sendEvent(tree.viewport(), &right);
  QMouseEvent left(QEvent::MouseButtonPress, QPointF(3, 4), QPointF(3, 4), Qt::LeftButton,
                   Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(tree.viewport(), &left);
  EXPECT_EQ(presses, 1);
}

#ifdef _WIN32
// "C:" alone names the drive's current folder; the drive's node shows its root.
TEST_F(FolderTreeViewTest, ADriveNodeListsTheDrivesRootNotItsCurrentFolder) {
  Make("current-only");
  const fs::path old_current = fs::current_path();
  fs::current_path(home_);
  TFolderTreeView tree;
  TFolderTreeNode* drive = nullptr;
  for (int i = 0; i < tree.topLevelItemCount(); ++i) {
    if (SamePath(tree.RootNode(i)->Path(), home_.root_name().string())) drive = tree.RootNode(i);
  }
  ASSERT_NE(drive, nullptr);
  drive->setExpanded(true);
  fs::current_path(old_current);
  const QString top = QString::fromStdWString(home_.relative_path().begin()->wstring());
  EXPECT_TRUE(Captions(drive).contains(top, Qt::CaseInsensitive))
      << Captions(drive).join(", ").toStdString();
  EXPECT_FALSE(Captions(drive).contains("current-only"));
}
#endif

}  // namespace
