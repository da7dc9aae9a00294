#include "app/config/korva_config.h"

#include <gtest/gtest.h>

#include "app/config/config_names.h"
#include "app/config/windows_kind.h"
#include "platform/program_path.h"
#include "tests/app/config/fake_prompts.h"
#include "tests/platform/scoped_env.h"
#include "tests/platform/temp_dir.h"

namespace {

TEST(KorvaConfigTest, ItemsTakeTheListsFlagAndLookupsFindTheFirstMatch) {
  TKorvaConfig config;
  config.SetDefault(true);
  TKorvaConfigItem& a = config.Add();
  a.Scene = 5;
  a.FileName = "/Music/Ä-Song.mp3";
  TKorvaConfigItem& b = config.Add();
  b.Scene = 5;
  b.FileName = "/music/ä-song.MP3";
  EXPECT_TRUE(a.IsDefault);
  EXPECT_FALSE(a.Loop);
  EXPECT_EQ(config.IndexOfScene(5), 0);
  EXPECT_EQ(config.IndexOfScene(6), -1);
  EXPECT_EQ(config.IndexOfFile("/MUSIC/ä-SONG.mp3"), 0);
  EXPECT_EQ(config.IndexOfFile("/music/other.mp3"), -1);

  config.SetDefault(false);
  EXPECT_FALSE(b.IsDefault);
  EXPECT_FALSE(config.Add().IsDefault);
  config.Remove(&a);
  EXPECT_EQ(config.Count(), 2);
  EXPECT_EQ(&config.Items(0), &b);  // the other items keep their place in memory
  config.Clear();
  EXPECT_EQ(config.Count(), 0);
}

TEST(ConfigNamesTest, ValidNamesAvoidTheReservedCharacters) {
  for (const char* bad : {"a=b", "a:b", "\\", "/", ";", "*", "?", "\"", "<", ">", "|", "<標準>"}) {
    EXPECT_FALSE(IsValidConfigName(bad)) << bad;
  }
  // 表 and ソ have the backslash byte as their second byte in Shift-JIS.
  EXPECT_TRUE(IsValidConfigName("表ソ設定"));
  EXPECT_TRUE(IsValidConfigName("my config 1"));
  EXPECT_TRUE(IsValidConfigName(""));
}

TEST(ConfigNamesTest, ListConfigsTakesOnlyKorvaPlaylists) {
  TTempDir dir;
  WriteBytes(dir / "good.m3u", "#EXTM3U\r\n#KORVA\r\n");
  WriteBytes(dir / "表ソ.M3U", "#EXTM3U\n#KORVA\n#KORVANUM:1,0\n#EXTINF:\n/x.mp3\n");
  WriteBytes(dir / "lower.m3u", "#EXTM3U\r\n#korva\r\n");
  WriteBytes(dir / "plain.m3u", "#EXTM3U\r\n/x.mp3\r\n");
  WriteBytes(dir / "short.m3u", "#EXTM3U\r\n");
  WriteBytes(dir / "empty.m3u", "");
  WriteBytes(dir / "other.txt", "#EXTM3U\r\n#KORVA\r\n");
#ifndef _WIN32  // Windows file names are always text.
  // A name that is not text (here Shift-JIS on a UTF-8 system) could not lead back to its file.
  WriteBytes(dir / "\x83\x66\x83\x82.m3u", "#EXTM3U\r\n#KORVA\r\n");
#endif
  TFakePrompts prompts;
  std::vector<std::string> names = ListConfigs(dir.path(), prompts);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"good", "表ソ"}));
#ifndef _WIN32
  EXPECT_EQ(prompts.Messages,
            std::vector<std::string>{(dir / "デモ.m3u") + kMsgConfigNameUnreadable});
#endif
  EXPECT_EQ(ConfigFileName("good", dir.path()), dir / "good.m3u");
  EXPECT_EQ(ConfigFileName("new", dir.path()), dir / "new.m3u");
  // Each listed name leads to its own file, whatever the letter case of the extension (Windows
  // finds it under any case).
#ifndef _WIN32
  EXPECT_EQ(ConfigFileName("表ソ", dir.path()), dir / "表ソ.M3U");
#endif
  TKorvaConfig config;
  config.LoadFromPlaylist(ConfigFileName("表ソ", dir.path()));
  EXPECT_EQ(config.Count(), 1);
}

TEST(ConfigNamesTest, SettingsAreThePersonsAndLabelsComeWithTheProgram) {
#ifdef _WIN32
  GTEST_SKIP() << "KORVA_DATA_DIR and the installed share folder exist only off Windows";
#endif
  TTempDir dir;
  TEnv data("KORVA_DATA_DIR", dir.path().c_str());
  EXPECT_EQ(IniFileName(), dir / "Korva.ini");
  // Without labels beside the program file, they are where an installed program keeps its data.
  EXPECT_EQ(SceneLabelFileName(), ProgramFolder() + "../share/korva/korva.dat");
}

TEST(WindowsKindTest, ClassifiesTheVersionRecord) {
  using P = TOsPlatform;
  EXPECT_EQ(GetWindowsKind({4, 0, P::ospWin9x}), 1);
  EXPECT_EQ(GetWindowsKind({4, 10, P::ospWin9x}), 2);
  EXPECT_EQ(GetWindowsKind({4, 89, P::ospWin9x}), 2);
  EXPECT_EQ(GetWindowsKind({4, 90, P::ospWin9x}), 3);
  EXPECT_EQ(GetWindowsKind({4, 0, P::ospNT}), 5);
  EXPECT_EQ(GetWindowsKind({5, 0, P::ospNT}), 4);
  EXPECT_EQ(GetWindowsKind({5, 1, P::ospNT}), 6);
  EXPECT_EQ(GetWindowsKind({5, 2, P::ospNT}), 6);
  EXPECT_EQ(GetWindowsKind({6, 1, P::ospNT}), 0);
  EXPECT_EQ(GetWindowsKind({5, 1, P::ospWin9x}), 0);
  EXPECT_EQ(GetWindowsKind(CurrentOsVersion()), 0);
}

}  // namespace
