#include "platform/codepage.h"

#include <gtest/gtest.h>

#include "platform/files.h"
#include "platform/text_file.h"
#include "tests/platform/temp_dir.h"

namespace {

// "表" is 0x95 0x5C in the code page: its trail byte is the backslash byte.
constexpr std::string_view kHyouSjis = "\x95\x5C";
constexpr std::string_view kHyouUtf8 = "\xE8\xA1\xA8";

TEST(CodePageTest, ConvertsBothWaysIncludingBackslashTrailBytes) {
  const std::string sjis = std::string("C:\\") + std::string(kHyouSjis) + "\\\x83\x5C.mp3";
  const std::string utf8 = "C:\\表\\ソ.mp3";
  EXPECT_EQ(CodePageToUtf8(sjis), utf8);
  EXPECT_EQ(Utf8ToCodePage(utf8), sjis);
  EXPECT_EQ(CodePageToUtf8("plain ascii"), "plain ascii");
  // Half-width katakana, NEC special characters and user-defined characters.
  EXPECT_EQ(CodePageToUtf8("\xB1\x87\x40"), "ｱ①");
  EXPECT_EQ(Utf8ToCodePage("ｱ①"), "\xB1\x87\x40");
}

TEST(CodePageTest, UndecodableBytesBecomeReplacementCharacters) {
#ifndef _WIN32  // Windows maps 0xA0 to a private-use character (tests/platform/windows).
  EXPECT_EQ(CodePageToUtf8("a\xA0"
                           "b"),
            "a\xEF\xBF\xBD"
            "b");
#endif
  // A lead byte cut off at the end of the text.
  EXPECT_EQ(CodePageToUtf8("ab\x95"), "ab\xEF\xBF\xBD");
}

TEST(CodePageTest, CharactersWithoutCodePageFormGiveNothing) {
  EXPECT_EQ(Utf8ToCodePage("Ärger"), std::nullopt);
  EXPECT_EQ(Utf8ToCodePage("😀"), std::nullopt);
  EXPECT_EQ(Utf8ToCodePage("\xFF not utf-8"), std::nullopt);
  // The wave dash converts one way only, so it has no faithful form.
  EXPECT_EQ(Utf8ToCodePage("\xE3\x80\x9C"), std::nullopt);
  EXPECT_EQ(Utf8ToCodePage(""), "");
}

TEST(TextFileTest, MarkMeansUtf8ElseCodePageWhenValidElseUtf8) {
  EXPECT_EQ(DecodeText("\xEF\xBB\xBF表"), "表");
  EXPECT_EQ(DecodeText("\xEF\xBB\xBF\x95\x5C"), "\xEF\xBF\xBD\\");
  EXPECT_EQ(DecodeText(kHyouSjis), kHyouUtf8);
  // Half-width katakana whose bytes are also well-formed UTF-8 ("ķ.mp3").
  EXPECT_EQ(DecodeText("\xC4\xB7.mp3"), "ﾄｷ.mp3");
  EXPECT_EQ(DecodeText("/m/日本語.mp3"), "/m/日本語.mp3");
#ifdef _WIN32  // Windows maps the single byte 0xA0 to a private-use character.
  EXPECT_EQ(DecodeText("a\xA0\x95"), "a\xEF\xA3\xB0\xEF\xBF\xBD");
#else
  EXPECT_EQ(DecodeText("a\xA0\x95"), "a\xEF\xBF\xBD\xEF\xBF\xBD");
#endif
  EXPECT_EQ(DecodeText("ascii"), "ascii");
}

// Every character of the code page, and every pair of half-width katakana (whose bytes are often
// well-formed UTF-8), in a path: what is written reads back the same.
TEST(TextFileTest, EveryCodePageCharacterReadsBackAsWritten) {
  std::vector<std::string> characters;
  const auto add = [&](std::string bytes) {
    if (auto utf8 = StrictCodePageToUtf8(bytes)) characters.push_back(*utf8);
  };
  for (int b = 0x20; b <= 0xFF; ++b) add(std::string(1, static_cast<char>(b)));
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      add({static_cast<char>(lead), static_cast<char>(trail)});
    }
  }
  ASSERT_GT(characters.size(), 7000u);
  std::vector<std::string> katakana;
  for (int b = 0xA1; b <= 0xDF; ++b) katakana.push_back(CodePageToUtf8(std::string(1, b)));
  for (const std::string& a : katakana) {
    for (const std::string& b : katakana) characters.push_back(a + b);
  }
  for (const std::string& c : characters) {
    const std::vector<std::string> lines{"/m/" + c + ".mp3", c};
    const std::string bytes = EncodeTextLines(lines, TTextEncoding::tenCodePageOrUtf8);
    ASSERT_EQ(SplitLines(DecodeText(bytes)), lines) << c;
  }
}

TEST(TextFileTest, SplitsAtEveryKindOfLineEnd) {
  using Lines = std::vector<std::string>;
  EXPECT_EQ(SplitLines("a\r\nb\rc\nd"), (Lines{"a", "b", "c", "d"}));
  EXPECT_EQ(SplitLines("a\r\n\r\nb\r\n"), (Lines{"a", "", "b"}));
  EXPECT_EQ(SplitLines(""), Lines{});
  EXPECT_EQ(SplitLines("\n"), Lines{""});
}

TEST(TextFileTest, WritesCodePageWhenPossibleElseUtf8WithMark) {
  TTempDir dir;
  const std::string path = dir / "a.txt";
  WriteTextLines(path, {"表", "x"}, TTextEncoding::tenCodePageOrUtf8);
  EXPECT_EQ(ReadBytes(path), std::string(kHyouSjis) + "\r\nx\r\n");
  EXPECT_EQ(ReadTextLines(path), (std::vector<std::string>{"表", "x"}));

  WriteTextLines(path, {"表", "Ä"}, TTextEncoding::tenCodePageOrUtf8);
  EXPECT_EQ(ReadBytes(path), "\xEF\xBB\xBF表\r\nÄ\r\n");
  EXPECT_EQ(ReadTextLines(path), (std::vector<std::string>{"表", "Ä"}));
}

TEST(TextFileTest, CodePageOnlyRefusesAndKeepsTheOldFile) {
  TTempDir dir;
  const std::string path = dir / "Config.txt";
  WriteBytes(path, "old\r\n");
  EXPECT_THROW(WriteTextLines(path, {"Ä"}, TTextEncoding::tenCodePageOnly), TFileError);
  EXPECT_EQ(ReadBytes(path), "old\r\n");
  EXPECT_THROW(ReadTextLines(dir / "missing.txt"), TFileError);
}

}  // namespace
