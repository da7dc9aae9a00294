#include "mp3player/compo/info/tag_text.h"

#include <gtest/gtest.h>

#include <string>

#include "mp3player/compo/info/genre_table.h"

namespace {

std::string B(const char* bytes, size_t n) { return std::string(bytes, n); }

TEST(TagTextTest, FixedWidthStopsAtNulAndDropsTrailingControls) {
  EXPECT_EQ(FixedWidthText(B("Abcd\0efg", 8)), "Abcd");
  EXPECT_EQ(FixedWidthText("Abcd  \t\r\n "), "Abcd");
  EXPECT_EQ(FixedWidthText("  lead"), "  lead");
  EXPECT_EQ(FixedWidthText(""), "");
  EXPECT_EQ(FixedWidthText("\x83\x65\x83\x58\x83\x67"), "テスト");
}

TEST(TagTextTest, TextAfterLastNulIgnoresTheFinalByte) {
  EXPECT_EQ(TextAfterLastNul(B("engdesc\0text", 12)), "text");
  EXPECT_EQ(TextAfterLastNul(B("eng\0text\0", 9)), "text");
  EXPECT_EQ(TextAfterLastNul("no nul"), "no nul");
  EXPECT_EQ(TextAfterLastNul(B("\0", 1)), "");
  EXPECT_EQ(TextAfterLastNul(B("a\0\0", 3)), "");
}

TEST(TagTextTest, Utf16FollowsTheByteOrderMark) {
  EXPECT_EQ(Utf16Text(B("\xFF\xFE\x42\x30\x44\x30", 6)), "あい");
  EXPECT_EQ(Utf16Text(B("\xFE\xFF\x30\x42\x30\x44", 6)), "あい");
  EXPECT_EQ(Utf16Text(B("A\0B\0", 4)), "AB");     // No mark: little-endian.
  EXPECT_EQ(Utf16Text(B("A\0\0\0B\0", 6)), "A");  // Ends at the first NUL unit.
  EXPECT_EQ(Utf16Text(B("A\0B", 3)), "A");        // An odd byte is no unit.
  EXPECT_EQ(Utf16Text(B("\x3D\xD8\x00\xDE", 4)), "\xF0\x9F\x98\x80");  // Surrogate pair.
  EXPECT_EQ(Utf16Text(B("\x3D\xD8"
                        "A\0",
                        4)),
            "\xEF\xBF\xBD"
            "A");  // Unpaired.
}

TEST(TagTextTest, DecimalValues) {
  EXPECT_EQ(DecimalValue("000123"), 123);
  EXPECT_EQ(DecimalValue("12a"), 0);
  EXPECT_EQ(DecimalValue(""), 0);
  EXPECT_EQ(DecimalValue("99999999999"), 0);
  EXPECT_EQ(ID3v2SizeField(B("ID3\3\0\0\0\0\x02\x01", 10)), 257);
  EXPECT_EQ(ID3v2SizeField(B("ID3\3\0\0\x7F\x7F\x7F\x7F", 10)), 0x0FFFFFFF);
}

TEST(TagTextTest, GenreTableSlots) {
  EXPECT_EQ(GenreName(0), "Blues");
  EXPECT_EQ(GenreName(17), "Rock");
  EXPECT_EQ(GenreName(147), "Synthpop");
  EXPECT_EQ(GenreName(148), "");
  EXPECT_EQ(GenreName(247), "");
  EXPECT_EQ(GenreName(248), "Heavy Rock(J)");
  EXPECT_EQ(GenreName(255), "Anime(J)");
}

}  // namespace
