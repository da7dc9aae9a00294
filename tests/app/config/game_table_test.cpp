#include "app/config/game_table.h"

#include <gtest/gtest.h>

#include "app/config/korva_config.h"
#include "tests/platform/temp_dir.h"

namespace {

using Fields = std::vector<std::string>;

TEST(GameTableTest, SplitsFieldsAtBlanksCommasAndControlCharacters) {
  EXPECT_EQ(SplitTableFields("12 oldmusic,loop"), (Fields{"12", "oldmusic", "loop"}));
  EXPECT_EQ(SplitTableFields("  12\t oldmusic \x01"), (Fields{"12", "oldmusic"}));
  EXPECT_EQ(SplitTableFields("12 , name , loop"), (Fields{"12", "name", "loop"}));
  EXPECT_EQ(SplitTableFields("1,,x"), (Fields{"1", "", "x"}));
  EXPECT_EQ(SplitTableFields("1 x,"), (Fields{"1", "x", ""}));
  EXPECT_EQ(SplitTableFields(",x"), (Fields{"", "x"}));
  EXPECT_EQ(SplitTableFields(""), Fields{});
  EXPECT_EQ(SplitTableFields("   "), Fields{});
}

TEST(GameTableTest, QuotedFieldsHoldSeparatorsAndDoubledQuotes) {
  EXPECT_EQ(SplitTableFields("4 \"a b, c\",loop"), (Fields{"4", "a b, c", "loop"}));
  EXPECT_EQ(SplitTableFields("4 \"say \"\"hi\"\"\""), (Fields{"4", "say \"hi\""}));
  EXPECT_EQ(SplitTableFields("4 \"unclosed name"), (Fields{"4", "unclosed name"}));
}

TEST(GameTableTest, DoubleByteNamesStayWhole) {
  // 表 and ソ end in the backslash byte in Shift-JIS; inside they are just characters.
  EXPECT_EQ(SplitTableFields("6 表ソ曲,LOOP"), (Fields{"6", "表ソ曲", "LOOP"}));
  EXPECT_EQ(SplitTableFields("6 全角　空白"), (Fields{"6", "全角　空白"}));
}

TEST(GameTableTest, WritesTheGamesLineForm) {
  EXPECT_EQ(FormatTableLine(12, "oldmusic", true), "12 oldmusic,loop");
  EXPECT_EQ(FormatTableLine(-3, "x", false), "-3 x");
  EXPECT_EQ(FormatTableLine(4, "ab\"c", false), "4 ab\"c");
  EXPECT_EQ(FormatTableLine(5, "town music", true), "5 \"town music\",loop");
}

TEST(GameTableTest, EveryNameReadsBackFromTheLineWrittenForIt) {
  for (const std::string name : {"plain", "表ソ曲", "全角　空白", "a b", "a,b", "tab\there", "",
                                 "\"quoted\"", "x\"y\"", "../up", "lop"}) {
    for (const bool loop : {false, true}) {
      const std::vector<std::string> fields = SplitTableFields(FormatTableLine(7, name, loop));
      ASSERT_EQ(fields.size(), loop ? 3u : 2u) << name;
      EXPECT_EQ(fields[0], "7");
      EXPECT_EQ(fields[1], name);
    }
  }
}

TEST(GameTableTest, ReadsTheTableIntoItemsOfTheMusicFolder) {
  TTempDir dir;
  const std::string table = dir / "Config.txt";
  WriteBytes(table, ReadBytes(std::string(KORVA_TEST_DATA) + "/sjis_table.txt"));
  TKorvaConfig config;
  config.SetDefault(true);
  config.LoadFromGameTable(table);
  struct TExpected {
    int Scene;
    std::string Name;
    bool Loop;
  };
  const std::vector<TExpected> expected{
      {1, "title", true},   {2, "battle", false},
      {3, "town", true},    {4, "with blank, and \"quote\"", true},
      {6, "表示曲", false}, {7, "tabbed", true},
  };
  ASSERT_EQ(config.Count(), static_cast<int>(expected.size()));
  for (int i = 0; i < config.Count(); ++i) {
    const TKorvaConfigItem& item = config.Items(i);
    EXPECT_EQ(item.Scene, expected[i].Scene);
    EXPECT_EQ(item.FileName, dir.path() + kSep + expected[i].Name + ".mp3");
    EXPECT_EQ(item.Loop, expected[i].Loop);
    EXPECT_TRUE(item.IsDefault);
  }
}

TEST(GameTableTest, EmptyAndMissingTables) {
  TTempDir dir;
  WriteBytes(dir / "Config.org", "");
  TKorvaConfig config;
  config.LoadFromGameTable(dir / "Config.org");
  EXPECT_EQ(config.Count(), 0);
  EXPECT_THROW(config.LoadFromGameTable(dir / "Config.txt"), std::runtime_error);
}

}  // namespace
