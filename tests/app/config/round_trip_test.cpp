#include <gtest/gtest.h>

#include "app/config/apply.h"
#include "app/config/config_files.h"
#include "app/config/config_names.h"
#include "app/config/startup.h"
#include "platform/files.h"
#include "tests/app/config/fake_prompts.h"
#include "tests/platform/temp_dir.h"

namespace {

namespace fs = std::filesystem;

// The bundled demo game: its music folder and a folder of the person's own songs.
const std::string kDemo = std::string(KORVA_TEST_DATA) + "/../../../../demo";

// The whole life of a user configuration on a copy of the demo game, as the window drives it:
// first start, create, edit, apply, edit, apply again, restore the default.
TEST(RoundTripTest, DemoGameComesBackExactlyAfterRestoringTheDefault) {
  if (!fs::exists(kDemo + "/game/Music/Digital/Config.txt")) GTEST_SKIP() << "no demo game";
  TTempDir root;
  fs::copy(kDemo, root.path(), fs::copy_options::recursive);
  const std::string music = root / "game/Music/Digital";
  const std::string program = root / "program";
  fs::create_directory(program);
  std::vector<std::string> songs;
  for (const std::string& name : ListFiles(root / "music", "*.mp3")) {
    songs.push_back(JoinPath(root / "music", name));
  }
  ASSERT_GE(songs.size(), 2u);
  const TSnapshot pristine = TakeSnapshot(music);

  TFakePrompts prompts;
  prompts.Answers = {TPromptAnswer::pcaYes};  // the first-run question
  prompts.DefaultAnswer = TPromptAnswer::pcaOk;
  TKorvaConfig defaults;
  ASSERT_TRUE(PrepareGameConfigs(music, defaults, prompts));
  ASSERT_GE(defaults.Count(), 3);
  const TSnapshot withBackup = TakeSnapshot(music);
  EXPECT_EQ(withBackup.size(), pristine.size() + 1);

  ASSERT_TRUE(CreateConfigFile("デモ", kDefaultConfigName, prompts, program));
  EXPECT_EQ(ListConfigs(program, prompts), std::vector<std::string>{"デモ"});
  TKorvaConfig user;
  user.LoadFromPlaylist(ConfigFileName("デモ", program));
  EXPECT_EQ(user.Count(), 0);
  for (std::size_t i = 0; i < songs.size(); ++i) {
    TKorvaConfigItem& item = user.Add();
    item.Scene = defaults.Items(static_cast<int>(i % 3)).Scene;
    item.FileName = songs[i];
    item.Loop = true;
  }
  ASSERT_TRUE(SaveUserConfig(user, "デモ", prompts, program));
  ASSERT_EQ(ApplyConfig("デモ", defaults, user, music, prompts), TApplyResult::arDone);
  EXPECT_GT(TakeSnapshot(music).size(), withBackup.size());

  user.Items(0).FileName = songs.back();
  ASSERT_TRUE(SaveUserConfig(user, "デモ", prompts, program));
  user.LoadFromPlaylist(ConfigFileName("デモ", program));
  ASSERT_EQ(ApplyConfig("デモ", defaults, user, music, prompts), TApplyResult::arDone);
  ASSERT_EQ(ApplyConfig(kDefaultConfigName, defaults, user, music, prompts), TApplyResult::arDone);

  EXPECT_EQ(TakeSnapshot(music), withBackup);
  EXPECT_EQ(ReadBytes(music + "/Config.txt"), pristine.at("Config.txt"));
  EXPECT_TRUE(prompts.Messages.empty());
}

TEST(ConfigFilesTest, CreateCopiesSaveAndDelete) {
  TTempDir program;
  TFakePrompts prompts;
  TKorvaConfig config;
  TKorvaConfigItem& item = config.Add();
  item.Scene = 3;
  item.FileName = "/music/a.mp3";
  ASSERT_TRUE(SaveUserConfig(config, "one", prompts, program.path()));
  ASSERT_TRUE(CreateConfigFile("two", "one", prompts, program.path()));
  EXPECT_EQ(ReadBytes(program / "two.m3u"), ReadBytes(program / "one.m3u"));
  EXPECT_FALSE(CreateConfigFile("three", "missing", prompts, program.path()));
  EXPECT_EQ(prompts.Messages.back(), kMsgCreateFailed);

  ASSERT_TRUE(FileSetAttr(program / "two.m3u", faReadOnly));
  EXPECT_FALSE(SaveUserConfig(config, "two", prompts, program.path()));
  EXPECT_EQ(prompts.Messages.back(),
            "設定の保存に失敗しました\n" + (program / "two.m3u") + "に書き込めません");
  EXPECT_FALSE(DeleteConfigFile("two", prompts, program.path()));
  EXPECT_EQ(prompts.Messages.back(), (program / "two.m3u") + "を削除できませんでした");
  EXPECT_TRUE(DeleteConfigFile("one", prompts, program.path()));
  EXPECT_TRUE(DeleteConfigFile("never existed", prompts, program.path()));
  EXPECT_FALSE(FileExists(program / "one.m3u"));
}

}  // namespace
