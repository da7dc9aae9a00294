#include "app/config/config_edit.h"

#include <gtest/gtest.h>

#include "tests/app/config/fake_prompts.h"

namespace {

class ConfigEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    defaults_.SetDefault(true);
    for (int scene = 0; scene < 5; ++scene) {
      TKorvaConfigItem& item = defaults_.Add();
      item.Scene = scene;
      item.FileName = "/game/Music/Digital/song" + std::to_string(scene) + ".mp3";
      item.Loop = scene % 2 == 0;
    }
  }
  // The items the scene list's rows show.
  std::vector<const TKorvaConfigItem*> Rows() {
    std::vector<const TKorvaConfigItem*> rows;
    for (int i = 0; i < defaults_.Count(); ++i) {
      rows.push_back(&EffectiveItem(defaults_.Items(i), user_));
    }
    return rows;
  }

  TKorvaConfig defaults_;
  TKorvaConfig user_;
};

TEST_F(ConfigEditTest, AssigningOneFileToFiveScenesKeepsTheirLoopFlags) {
  for (const TKorvaConfigItem* row : Rows()) {
    const TKorvaConfigItem& shown = AssignFileToScene(*row, "/mine/a.mp3", defaults_, user_);
    EXPECT_FALSE(shown.IsDefault);
    EXPECT_EQ(shown.Loop, row->Scene % 2 == 0);
  }
  ASSERT_EQ(user_.Count(), 5);
  const auto rows = Rows();
  for (int i = 0; i < 5; ++i) EXPECT_EQ(rows[i], &user_.Items(i));

  // Assigning again changes the user item in its place.
  AssignFileToScene(*rows[2], "/mine/b.mp3", defaults_, user_);
  EXPECT_EQ(user_.Count(), 5);
  EXPECT_EQ(user_.Items(2).FileName, "/mine/b.mp3");
}

TEST_F(ConfigEditTest, AssigningTheScenesOwnGameFileBackRemovesTheOverride) {
  const TKorvaConfigItem& mine = AssignFileToScene(*Rows()[1], "/mine/a.mp3", defaults_, user_);
  ASSERT_EQ(user_.Count(), 1);
  const TKorvaConfigItem& back =
      AssignFileToScene(mine, "/GAME/Music/Digital/SONG1.mp3", defaults_, user_);
  EXPECT_EQ(&back, &defaults_.Items(1));
  EXPECT_EQ(user_.Count(), 0);
  // Another scene's game file is an override like any other.
  AssignFileToScene(*Rows()[1], defaults_.Items(3).FileName, defaults_, user_);
  EXPECT_EQ(user_.Count(), 1);
}

TEST_F(ConfigEditTest, LoopToggleAndReturnToDefault) {
  const TKorvaConfigItem& looped = SetSceneLoop(*Rows()[1], true, defaults_, user_);
  EXPECT_TRUE(looped.Loop);
  EXPECT_EQ(looped.FileName, defaults_.Items(1).FileName);
  EXPECT_TRUE(IsSameAsDefault(defaults_.Items(1), defaults_));
  EXPECT_FALSE(IsSameAsDefault(looped, defaults_));
  EXPECT_EQ(&SetSceneLoop(looped, false, defaults_, user_), &defaults_.Items(1));
  EXPECT_EQ(user_.Count(), 0);

  const TKorvaConfigItem& mine = AssignFileToScene(*Rows()[4], "/mine/a.mp3", defaults_, user_);
  EXPECT_EQ(&ReturnSceneToDefault(mine, defaults_, user_), &defaults_.Items(4));
  EXPECT_EQ(user_.Count(), 0);
  EXPECT_EQ(&ReturnSceneToDefault(defaults_.Items(0), defaults_, user_), &defaults_.Items(0));
}

TEST_F(ConfigEditTest, FirstUserItemOfASceneWinsAndUnknownScenesAreNotSameAsDefault) {
  TKorvaConfigItem& first = user_.Add();
  first.Scene = 3;
  TKorvaConfigItem& second = user_.Add();
  second.Scene = 3;
  EXPECT_EQ(&EffectiveItem(defaults_.Items(3), user_), &first);
  TKorvaConfigItem& stray = user_.Add();
  stray.Scene = 42;
  EXPECT_FALSE(IsSameAsDefault(stray, defaults_));
}

// A path a playlist would read back as another one is refused before it reaches a scene.
TEST(CanAssignFileTest, RefusesNamesAPlaylistCannotHold) {
  TFakePrompts prompts;
  EXPECT_TRUE(CanAssignFile("/m/曲 ﾄｷ.mp3", prompts));
  for (const char* path : {"/m/a\nb.mp3", "/m/a\rb.mp3", "/m/\xFF.mp3", "/m/\uFFFD.mp3"}) {
    EXPECT_FALSE(CanAssignFile(path, prompts)) << path;
  }
  ASSERT_EQ(prompts.Messages.size(), 4u);
  EXPECT_EQ(prompts.Messages[0], std::string("/m/a\nb.mp3") + kMsgCannotAssign);
}

}  // namespace
