// Code page 932 as the system's own tables have it, through MultiByteToWideChar and
// WideCharToMultiByte.
#include "platform/codepage.h"

#include <gtest/gtest.h>

namespace {

TEST(SystemCodePageTest, TrailByte5CStaysInsideItsCharacter) {
  // "ソ" and "表" end in the backslash byte; a path split on 0x5C would cut them in two.
  const std::string sjis = "C:\\\x83\x5C\\\x95\x5C.mp3";
  EXPECT_EQ(CodePageToUtf8(sjis), "C:\\ソ\\表.mp3");
  EXPECT_EQ(Utf8ToCodePage("C:\\ソ\\表.mp3"), sjis);
}

TEST(SystemCodePageTest, BytesWithoutCharacterMapToPrivateUseOrThemselves) {
  // Windows gives 0x80 its own code point and 0xA0, 0xFD to 0xFF private-use characters, so a
  // name holding them survives the trip through UTF-8.
  EXPECT_EQ(CodePageToUtf8("\x80"), "\xC2\x80");      // U+0080
  EXPECT_EQ(CodePageToUtf8("\xA0"), "\xEF\xA3\xB0");  // U+F8F0
  EXPECT_EQ(CodePageToUtf8("\xFD\xFE\xFF"), "\xEF\xA3\xB1\xEF\xA3\xB2\xEF\xA3\xB3");
  for (const std::string bytes : {"\x80", "\xA0", "\xFD", "\xFE", "\xFF"}) {
    EXPECT_EQ(Utf8ToCodePage(CodePageToUtf8(bytes)), bytes) << static_cast<int>(bytes[0] & 0xFF);
  }
}

TEST(SystemCodePageTest, BytesThatAreNoCharacterBecomeReplacementCharacters) {
  // The system's own default would be "・", which reads like text.
  EXPECT_EQ(CodePageToUtf8("ab\x95"), "ab\xEF\xBF\xBD");
  EXPECT_EQ(CodePageToUtf8("\x81 x"), "\xEF\xBF\xBD x");  // the trail byte does not fit
}

}  // namespace
