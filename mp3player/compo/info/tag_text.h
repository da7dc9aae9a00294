#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Conversions from the bytes stored in tags to the program's UTF-8 strings. 8-bit text is in the
// system code page (CP932).

// The bytes up to the first NUL (or all of them), without trailing spaces and control characters
// (codes 0 to 32).
std::string FixedWidthText(std::string_view bytes);

// The fixed-width text of the bytes after the last NUL; the final byte is not looked at, so a
// closing NUL does not hide the text before it.
std::string TextAfterLastNul(std::string_view bytes);

// 8-bit bytes taken as they are, only converted from the code page.
std::string RawText(std::string_view bytes);

// UTF-16 code units, little-endian (or big-endian with bigEndian) unless a byte-order mark leads
// them and says otherwise. The text ends at the first NUL unit; the byte-order mark is dropped and
// unpaired surrogates become U+FFFD.
std::string Utf16Text(std::string_view bytes, bool bigEndian = false);

// A decimal number written as text; 0 when the text is not a number.
int32_t DecimalValue(std::string_view text);

// The size field of a 10-byte ID3v2 header: four bytes of seven bits each. The bytes are taken
// whole, as writers that set the high bit have always been read this way.
int32_t ID3v2SizeField(std::string_view header);
// Whether a 10-byte ID3v2 header announces a footer: a version 2.4 tag may repeat its header
// after the tag, outside the size field's count.
bool ID3v2HasFooter(std::string_view header);
