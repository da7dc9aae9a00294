#include <gtest/gtest.h>

#include <filesystem>

#include "app/config/korva_config.h"
#include "platform/files.h"
#include "tests/platform/temp_dir.h"

namespace {

// The Windows paths of these tests stay as they are unless a test gives a Wine prefix.
const TEnv kNoWinePrefix("WINEPREFIX", "/nonexistent/wine-prefix");

struct TItem {
  int Scene;
  bool Loop;
  std::string FileName;
  std::string Info;
  bool operator==(const TItem&) const = default;
};

std::vector<TItem> ItemsOf(const TKorvaConfig& config) {
  std::vector<TItem> items;
  for (int i = 0; i < config.Count(); ++i) {
    const TKorvaConfigItem& item = config.Items(i);
    items.push_back({item.Scene, item.Loop, item.FileName, item.Info});
  }
  return items;
}

void Fill(TKorvaConfig& config, const std::vector<TItem>& items) {
  for (const TItem& source : items) {
    TKorvaConfigItem& item = config.Add();
    item.Scene = source.Scene;
    item.Loop = source.Loop;
    item.FileName = source.FileName;
    item.Info = source.Info;
  }
}

std::vector<TItem> Load(const std::string& path) {
  TKorvaConfig config;
  config.LoadFromPlaylist(path);
  return ItemsOf(config);
}

TEST(PlaylistTest, RoundTripKeepsItemsAndOrderInShiftJis) {
  TTempDir dir;
  const std::vector<TItem> items{
      {12, true, "C:\\音楽\\表\\ソング.mp3", "123,アーティスト - 表題"},
      {3, false, "/home/me/a b,c.mp3", ""},
      {3, true, "/home/me/second for scene 3.mp3", "x"},
  };
  TKorvaConfig config;
  Fill(config, items);
  config.SaveToPlaylist(dir / "c.m3u");
  const std::string bytes = ReadBytes(dir / "c.m3u");
  EXPECT_TRUE(bytes.starts_with("#EXTM3U\r\n#KORVA\r\n#KORVANUM:12,1\r\n#EXTINF:123,"));
  EXPECT_NE(bytes.find("C:\\\x89\xB9\x8Ay\\\x95\x5C\\\x83\x5C"), std::string::npos);
  EXPECT_TRUE(bytes.ends_with("#KORVANUM:3,1\r\n#EXTINF:x\r\n/home/me/second for scene 3.mp3\r\n"));
  EXPECT_EQ(Load(dir / "c.m3u"), items);
}

// Shift-JIS half-width katakana whose bytes are well-formed UTF-8 too ("ķ", "±").
TEST(PlaylistTest, HalfWidthKatakanaPathsReadBackUnchanged) {
  TTempDir dir;
  const std::vector<TItem> items{{5, false, "/music/ﾄｷ.mp3", ""}, {6, true, "/music/ﾂｱ.mp3", "ﾂｱ"}};
  TKorvaConfig config;
  Fill(config, items);
  config.SaveToPlaylist(dir / "k.m3u");
  EXPECT_NE(ReadBytes(dir / "k.m3u").find("/music/\xC4\xB7.mp3\r\n"), std::string::npos);
  EXPECT_EQ(Load(dir / "k.m3u"), items);
}

TEST(PlaylistTest, PathsWithoutShiftJisFormRoundTripThroughUtf8) {
  TTempDir dir;
  const std::vector<TItem> items{{1, false, "/music/Ärger/😀.mp3", "Ünïcode"}};
  TKorvaConfig config;
  Fill(config, items);
  config.SaveToPlaylist(dir / "u.m3u");
  EXPECT_TRUE(ReadBytes(dir / "u.m3u").starts_with("\xEF\xBB\xBF#EXTM3U\r\n"));
  EXPECT_EQ(Load(dir / "u.m3u"), items);
}

TEST(PlaylistTest, EmptyConfigurationIsJustTheHeader) {
  TTempDir dir;
  TKorvaConfig config;
  config.SaveToPlaylist(dir / "e.m3u");
  EXPECT_EQ(ReadBytes(dir / "e.m3u"), "#EXTM3U\r\n#KORVA\r\n");
  EXPECT_TRUE(Load(dir / "e.m3u").empty());
}

TEST(PlaylistTest, ReadsAShiftJisFileWrittenByAnotherProgram) {
  const std::vector<TItem> expected{
      {12, true, "C:\\音楽\\表\\ソング.mp3", "123,アーティスト - 表題"},
      {7, false, "D:\\Music\\a b,c.mp3", ""},
  };
  EXPECT_EQ(Load(std::string(KORVA_TEST_DATA) + "/sjis_playlist.m3u"), expected);
}

TEST(PlaylistTest, MalformedLinesAreSkipped) {
  TTempDir dir;
  WriteBytes(dir / "m.m3u",
             "#EXTM3U\n#KORVA\n"
             "/orphan path without marker.mp3\n"
             "#KORVANUM:x,1\n/ignored because scene is no number.mp3\n"
             "#KORVANUM:4,0\nab\n曲\n# a comment\n/four.mp3\n"  // loop carried over from above
             "#EXTINF:info first\n#KORVANUM:5,abc\n/five.mp3\n"
             "#KORVANUM:6,1\n#KORVANUM:9\n/nine.mp3\n");
  const std::vector<TItem> expected{
      {4, true, "/four.mp3", ""},
      {5, false, "/five.mp3", "info first"},
      {9, true, "/nine.mp3", ""},
  };
  EXPECT_EQ(Load(dir / "m.m3u"), expected);
}

TEST(PlaylistTest, WrongHeaderOrTooFewLinesGiveAnEmptyConfiguration) {
  TTempDir dir;
  WriteBytes(dir / "a.m3u", "#EXTM3U\n#korva\n#KORVANUM:1,0\n/x.mp3\n");
  WriteBytes(dir / "b.m3u", "#EXTM3U\n#KORVA\n");
  WriteBytes(dir / "c.m3u", " #EXTM3U\n#KORVA\n#KORVANUM:1,0\n/x.mp3\n");
  TKorvaConfig config;
  config.Add();
  config.LoadFromPlaylist(dir / "a.m3u");
  EXPECT_EQ(config.Count(), 0);
  EXPECT_TRUE(Load(dir / "b.m3u").empty());
  EXPECT_TRUE(Load(dir / "c.m3u").empty());
  EXPECT_THROW(Load(dir / "missing.m3u"), TFileError);
  // A playlist that cannot be read leaves no items of another one behind.
  config.Add();
  EXPECT_THROW(config.LoadFromPlaylist(dir / "missing.m3u"), TFileError);
  EXPECT_EQ(config.Count(), 0);
}

TEST(PlaylistTest, FailedSaveKeepsTheOldFile) {
  TTempDir dir;
  WriteBytes(dir / "c.m3u", "#EXTM3U\r\n#KORVA\r\n");
  ASSERT_TRUE(FileSetAttr(dir / "c.m3u", faReadOnly));
  TKorvaConfig config;
  Fill(config, {{1, false, "/x.mp3", ""}});
  EXPECT_THROW(config.SaveToPlaylist(dir / "c.m3u"), TFileError);
  EXPECT_EQ(ReadBytes(dir / "c.m3u"), "#EXTM3U\r\n#KORVA\r\n");
  EXPECT_THROW(config.SaveToPlaylist(dir / "no-folder/c.m3u"), TFileError);
}

}  // namespace

#ifndef _WIN32  // Windows reads Windows paths as they are.
// A configuration from a Windows install works unchanged: its "Z:\..." paths name the files
// through the Wine prefix, and the playlist keeps its own text until an assignment changes.
TEST(PlaylistTest, WindowsPathsAreReadThroughTheWinePrefix) {
  TTempDir prefix;
  std::filesystem::create_directories(prefix / "dosdevices");
  std::filesystem::create_directory_symlink("/", prefix / "dosdevices/z:");
  TEnv wine("WINEPREFIX", prefix.path().c_str());
  const std::vector<std::string> lines{
      "#EXTM3U",       "#KORVA",   "#KORVANUM:3,1",      "#EXTINF:", "Z:\\home\\me\\曲.mp3",
      "#KORVANUM:4,0", "#EXTINF:", "Z:\\home\\me\\b.mp3"};
  TKorvaConfig config;
  config.LoadFromPlaylistLines(lines);
  ASSERT_EQ(config.Count(), 2);
  EXPECT_EQ(config.Items(0).FileName, prefix.path() + "/dosdevices/z:/home/me/曲.mp3");
  EXPECT_EQ(config.PlaylistLines(), lines);

  config.Items(1).FileName = "/music/new.mp3";
  auto expected = lines;
  expected.back() = "/music/new.mp3";
  EXPECT_EQ(config.PlaylistLines(), expected);
}
#endif
