#pragma once

#include <gtest/gtest.h>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLocale>
#include <QTreeWidget>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/config/korva_config.h"
#include "app/config_view.h"
#include "app/file_list_view.h"
#include "controls/folder_tree_view.h"
#include "mp3player/compo/info/mp3_info.h"
#include "tests/app/config/fake_prompts.h"
#include "tests/platform/scoped_env.h"

// The widgets, actions and data of the main window's browsing half, built without the window,
// over a temporary home folder (the folder tree's second root) that holds the test's files.
class BrowseTest : public testing::Test {
 protected:
  void SetUp() override {
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const char* home = std::getenv("HOME");
    old_home_ = home ? home : "";
    home_ = std::filesystem::temp_directory_path() /
            ("korva-browse-" + std::to_string(::getpid()) + "-" +
             testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(home_);
    std::filesystem::create_directories(home_);
    setenv("HOME", home_.string().c_str(), 1);

    files_.setColumnCount(fcCount);
    scenes_.setColumnCount(6);
    scenes_.setSelectionMode(QAbstractItemView::ExtendedSelection);
    for (int tag = 0; tag < 6; ++tag) {
      sort_actions_.push_back(std::make_unique<QAction>(QString("sort %1").arg(tag)));
      sort_actions_.back()->setData(tag);
    }
    auto_jump_.setCheckable(true);
    jump_.setEnabled(false);  // as the window creates it
    tree_ = std::make_unique<TFolderTreeView>();
    TFileListContext files;
    files.List = &files_;
    files.Tree = tree_.get();
    files.StatusPanel = &status_;
    for (auto& action : sort_actions_) files.SortActions.push_back(action.get());
    files.ActionPlayMp3 = &play_;
    files.ActionUpdateTree = &update_tree_;
    search_.setShortcut(QKeySequence(Qt::Key_F3));  // as the window creates it
    files.ActionSearchMp3Files = &search_;
    files.MusicFolder = &music_folder_;
    files.DefaultConfig = &default_config_;
    files.Tags = &tags_;
    file_list_ = std::make_unique<TFileListView>(files);
  }

  void TearDown() override {
    config_view_.reset();
    file_list_.reset();
    tree_.reset();
    setenv("HOME", old_home_.c_str(), 1);
    std::filesystem::remove_all(home_);
  }

  // The scene list's view, once the test has filled DefaultConfig and the box.
  TConfigView& ConfigView() {
    if (!config_view_) {
      TConfigViewContext context;
      context.ComboBoxConfigs = &configs_;
      context.List = &scenes_;
      context.ActionJumpToFile = &jump_;
      context.ActionAutoJump = &auto_jump_;
      context.ActionDeleteConfig = &delete_config_;
      context.ActionPlayMp3 = &play_;
      context.DefaultConfig = &default_config_;
      context.UserConfig = &user_config_;
      context.CurrentConfigName = &current_config_name_;
      context.SceneNames = &scene_names_;
      context.ProgramFolder = Path("program") + "/";
      context.Tags = &tags_;
      context.FileList = file_list_.get();
      context.Prompts = &prompts_;
      context.IsDefaultSelected = [this] { return configs_.currentIndex() == 0; };
      config_view_ = std::make_unique<TConfigView>(context);
      QObject::connect(&configs_, &QComboBox::currentIndexChanged, config_view_.get(),
                       &TConfigView::ShowSelectedConfig);
    }
    return *config_view_;
  }

  // "a/b" in the platform's own form, as the tree and the list build their paths.
  std::string Path(const std::string& relative) const {
    return (home_ / relative).make_preferred().string();
  }

  // Copies a committed fixture into the test's folders under a name of the test's choice.
  std::string CopyFixture(const std::string& fixture, const std::string& relative) {
    const auto target = home_ / relative;
    std::filesystem::create_directories(target.parent_path());
    std::filesystem::copy_file(std::filesystem::path(KORVA_TEST_DATA) / "browse" / fixture, target,
                               std::filesystem::copy_options::overwrite_existing);
    return Path(relative);
  }

  QStringList Column(const QTreeWidget& list, int column) const {
    QStringList texts;
    for (int row = 0; row < list.topLevelItemCount(); ++row) {
      texts << list.topLevelItem(row)->text(column);
    }
    return texts;
  }

  std::filesystem::path home_;
  std::string old_home_;
  QTreeWidget files_;
  QTreeWidget scenes_;
  QComboBox configs_;
  QLabel status_;
  std::vector<std::unique_ptr<QAction>> sort_actions_;
  QAction play_{"ファイルを再生(&P)"};
  QAction update_tree_{"update"};
  QAction search_{"search"};
  QAction jump_{"jump"};
  QAction auto_jump_{"auto jump"};
  QAction delete_config_{"delete"};
  std::string music_folder_ = "/nonexistent-music-folder";
  TKorvaConfig default_config_;
  TKorvaConfig user_config_;
  std::string current_config_name_;
  std::vector<std::string> scene_names_;
  TMP3Info tags_;
  TFakePrompts prompts_;
  std::unique_ptr<TFolderTreeView> tree_;
  std::unique_ptr<TFileListView> file_list_;
  std::unique_ptr<TConfigView> config_view_;
};
