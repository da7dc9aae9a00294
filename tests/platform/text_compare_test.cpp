#include "platform/text_compare.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

bool UnderWine() {
#ifdef _WIN32
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
#else
  return false;
#endif
}

TEST(TextCompareTest, IgnoresCaseBeyondAscii) {
  EXPECT_TRUE(SameText("C:\\Music\\Song.MP3", "c:\\music\\song.mp3"));
  EXPECT_TRUE(SameText("Ärger", "äRGER"));
  EXPECT_TRUE(SameText("ＡＢＣ", "ａｂｃ"));  // full-width letters
  if (!UnderWine()) {  // Wine's case tables leave the final sigma alone; Windows folds it.
    EXPECT_TRUE(SameText("ΣΊΣΥΦΟΣ", "σίσυφος"));  // final sigma folds with sigma
  }
  EXPECT_TRUE(SameText("Привет", "пРИВЕТ"));
  EXPECT_FALSE(SameText("曲", "歌"));
  EXPECT_FALSE(SameText("a", "ab"));
  EXPECT_FALSE(SameText("\xFF", "\xFE"));
  EXPECT_EQ(FoldCase("Ä-ÖZ"), "ä-öz");
}

TEST(TextCompareTest, WildcardsMatchWholeNames) {
  EXPECT_TRUE(MatchesWildcard("Song.MP3", "*.mp3"));
  EXPECT_TRUE(MatchesWildcard("曲.Mp3", "*.mP3"));
  EXPECT_TRUE(MatchesWildcard(".mp3", "*.mp3"));
  EXPECT_FALSE(MatchesWildcard("a.mp3.bak", "*.mp3"));
  EXPECT_TRUE(MatchesWildcard("a.mp3.mp3", "*.mp3"));
  EXPECT_TRUE(MatchesWildcard("ab", "a?"));
  EXPECT_TRUE(MatchesWildcard("a曲", "a?"));  // '?' is one character, not one byte
  EXPECT_FALSE(MatchesWildcard("abc", "a?"));
  EXPECT_TRUE(MatchesWildcard("anything", "*"));
}

}  // namespace
