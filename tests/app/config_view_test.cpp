#include <QMenu>
#include <filesystem>

#include "platform/files.h"
#include "tests/app/browse_fixture.h"

namespace {

// A game of three scenes (10, 20, 30) whose music lies in the test's music folder, and two user
// configurations: A overrides scene 20 with another file, B loops scene 10.
class ConfigViewTest : public BrowseTest {
 protected:
  void SetUp() override {
    BrowseTest::SetUp();
    std::filesystem::create_directories(Path("program"));
    music_folder_ = Path("game");
    for (auto [scene, fixture, name] :
         {std::tuple{10, "alpha.mp3", "town.mp3"}, std::tuple{20, "beta.mp3", "battle.mp3"},
          std::tuple{30, "gamma.mp3", "dungeon.mp3"}}) {
      TKorvaConfigItem& item = default_config_.Add();
      item.Scene = scene;
      item.FileName = CopyFixture(fixture, std::string("game/") + name);
    }
    default_config_.SetDefault(true);
    own_ = CopyFixture("gamma.mp3", "mine/own.mp3");
    WritePlaylist("A", {{20, own_, false}, {99, own_, false}});
    WritePlaylist("B", {{10, default_config_.Items(0).FileName, true}});
    scene_names_ = {"町", "", "ダンジョン"};
    configs_.addItems({"<標準>", "A", "B"});
  }

  struct Override {
    int Scene;
    std::string FileName;
    bool Loop;
  };
  void WritePlaylist(const std::string& name, const std::vector<Override>& overrides) {
    TKorvaConfig config;
    for (const Override& o : overrides) {
      TKorvaConfigItem& item = config.Add();
      item.Scene = o.Scene;
      item.FileName = o.FileName;
      item.Loop = o.Loop;
    }
    config.SaveToPlaylist(Path("program/" + name + ".m3u"));
  }

  bool IsBlue(int row) const {
    return scenes_.topLevelItem(row)->foreground(0).color() == QColor(0, 0, 255);
  }

  void SelectRows(std::initializer_list<int> rows) {
    scenes_.clearSelection();
    for (int row : rows) scenes_.topLevelItem(row)->setSelected(true);
  }

  std::string own_;
};

TEST_F(ConfigViewTest, TheDefaultConfigurationShowsEverySceneInNormalColour) {
  TConfigView& view = ConfigView();
  view.ShowSelectedConfig();

  ASSERT_EQ(scenes_.topLevelItemCount(), 3);
  EXPECT_EQ(Column(scenes_, 0), QStringList({"町", "1", "ダンジョン"}));
  EXPECT_EQ(Column(scenes_, 2), QStringList({"town", "battle", "dungeon"}));
  EXPECT_EQ(Column(scenes_, 3), QStringList({"Alpha", "Beta", "Gamma"}));
  EXPECT_EQ(Column(scenes_, 4), QStringList({"Artist A", "Artist B", "Artist C"}));
  EXPECT_EQ(scenes_.topLevelItem(1)->text(5).toStdString(), Path("game/battle.mp3"));
  for (int row = 0; row < 3; ++row) EXPECT_FALSE(IsBlue(row));
  EXPECT_FALSE(delete_config_.isEnabled());
  EXPECT_TRUE(current_config_name_.empty());
}

TEST_F(ConfigViewTest, AUserConfigurationShowsItsOverridesInBlue) {
  ConfigView();
  configs_.setCurrentIndex(1);

  EXPECT_EQ(current_config_name_, "A");
  ASSERT_EQ(scenes_.topLevelItemCount(), 3) << "the override of scene 99 has no row";
  EXPECT_EQ(Column(scenes_, 2), QStringList({"town", "own", "dungeon"}));
  EXPECT_EQ(scenes_.topLevelItem(1)->text(5).toStdString(), own_);
  EXPECT_FALSE(IsBlue(0));
  EXPECT_TRUE(IsBlue(1));
  EXPECT_TRUE(delete_config_.isEnabled());
  EXPECT_EQ(ConfigView().RowItem(1), &user_config_.Items(user_config_.IndexOfScene(20)));
}

TEST_F(ConfigViewTest, RowsBeyondTheLabelledOnesShowTheirNumber) {
  for (int scene = 100; scene < 175; ++scene) default_config_.Add().Scene = scene;
  scene_names_.assign(71, "label");
  ConfigView().ShowSelectedConfig();
  ASSERT_EQ(scenes_.topLevelItemCount(), 78);
  EXPECT_EQ(scenes_.topLevelItem(70)->text(0), "label");
  EXPECT_EQ(scenes_.topLevelItem(71)->text(0), "71");
  EXPECT_EQ(scenes_.topLevelItem(77)->text(0), "77");
  EXPECT_EQ(scenes_.topLevelItem(77)->text(3), "") << "no file, no title";
}

TEST_F(ConfigViewTest, LoopTogglingFollowsTheFirstSelectedRowAndFallsBackToTheDefault) {
  TConfigView& view = ConfigView();
  configs_.setCurrentIndex(2);  // B: scene 10 loops
  ASSERT_TRUE(IsBlue(0));

  SelectRows({0, 2});
  view.UpdatePopupMenuConfig();
  EXPECT_TRUE(view.MenuItemLoop->isEnabled());
  EXPECT_TRUE(view.MenuItemLoop->isChecked());
  view.ToggleLoop();
  EXPECT_EQ(scenes_.topLevelItem(0)->text(1), "");
  EXPECT_EQ(scenes_.topLevelItem(2)->text(1), "");
  EXPECT_FALSE(IsBlue(0)) << "equal to the default again";
  EXPECT_FALSE(IsBlue(2));
  EXPECT_EQ(user_config_.Count(), 0);

  SelectRows({1, 2});
  view.ToggleLoop();
  EXPECT_EQ(Column(scenes_, 1), QStringList({"", "はい", "はい"}));
  EXPECT_TRUE(IsBlue(1));
  EXPECT_TRUE(IsBlue(2));
  EXPECT_EQ(user_config_.Count(), 2);
  view.ToggleLoop();
  EXPECT_EQ(Column(scenes_, 1), QStringList({"", "", ""}));
  EXPECT_EQ(user_config_.Count(), 0);
  EXPECT_EQ(view.RowItem(2), &default_config_.Items(2));

  configs_.setCurrentIndex(0);
  SelectRows({0});
  view.UpdatePopupMenuConfig();
  EXPECT_FALSE(view.MenuItemLoop->isEnabled());
  view.ToggleLoop();
  EXPECT_EQ(scenes_.topLevelItem(0)->text(1), "") << "the default configuration is not edited";
}

TEST_F(ConfigViewTest, SwitchingConfigurationsSavesTheOneShownBefore) {
  TConfigView& view = ConfigView();
  configs_.setCurrentIndex(1);
  SelectRows({0});
  view.ToggleLoop();  // A: scene 10 now loops

  configs_.setCurrentIndex(2);
  TKorvaConfig saved;
  saved.LoadFromPlaylist(Path("program/A.m3u"));
  ASSERT_GE(saved.IndexOfScene(10), 0);
  EXPECT_TRUE(saved.Items(saved.IndexOfScene(10)).Loop);
  EXPECT_EQ(current_config_name_, "B");

  configs_.setCurrentIndex(1);
  EXPECT_EQ(Column(scenes_, 1), QStringList({"はい", "", ""}));
  EXPECT_TRUE(IsBlue(0));

  // A configuration whose playlist is gone is not written back.
  std::filesystem::remove(Path("program/A.m3u"));
  configs_.setCurrentIndex(0);
  EXPECT_FALSE(std::filesystem::exists(Path("program/A.m3u")));
}

TEST_F(ConfigViewTest, JumpingShowsTheScenesFileInTheFileList) {
  TConfigView& view = ConfigView();
  configs_.setCurrentIndex(1);
  EXPECT_FALSE(jump_.isEnabled());

  SelectRows({1});
  EXPECT_TRUE(jump_.isEnabled());
  EXPECT_EQ(status_.text(), "Gamma -  (Artist C)");
  jump_.trigger();
  EXPECT_EQ(file_list_->SelectedFilePath(), own_);

  auto_jump_.setChecked(true);
  SelectRows({2});
  EXPECT_EQ(file_list_->SelectedFilePath(), Path("game/dungeon.mp3"));

  scenes_.clearSelection();
  EXPECT_FALSE(jump_.isEnabled());
  (void)view;
}

TEST_F(ConfigViewTest, ThePopupMenuOffersAssignmentOnlyForAUserConfigurationAndAFile) {
  TConfigView& view = ConfigView();
  CopyFixture("beta.mp3", "mine/pick.mp3");
  ASSERT_TRUE(file_list_->JumpToFile(Path("mine/pick.mp3")));

  view.ShowSelectedConfig();
  SelectRows({0});
  view.UpdatePopupMenuConfig();
  EXPECT_FALSE(view.MenuItemAssign->isVisible());
  file_list_->UpdatePopupMenuFiles();
  EXPECT_FALSE(file_list_->MenuItemAssign->isEnabled());

  configs_.setCurrentIndex(1);
  SelectRows({0, 1});
  view.UpdatePopupMenuConfig();
  EXPECT_TRUE(view.MenuItemAssign->isVisible());
  EXPECT_EQ(view.MenuItemAssign->text(), "pick.mp3 を割り当てる(&A)");
  EXPECT_TRUE(view.MenuItemRestoreDefault->isEnabled());
  file_list_->UpdatePopupMenuFiles();
  EXPECT_TRUE(file_list_->MenuItemAssign->isEnabled());

  files_.clearSelection();
  view.UpdatePopupMenuConfig();
  EXPECT_FALSE(view.MenuItemAssign->isVisible());
}

}  // namespace
