#pragma once

#include <optional>
#include <string>
#include <string_view>

// Conversion between UTF-8, which every string inside the program holds, and the system's
// multi-byte code page (Shift-JIS in its Windows form, code page 932), in which the game's music
// table is kept and in which Korva writes its own text files whenever it can.

// Converts code-page bytes to UTF-8. A byte sequence that has no character in the code page
// becomes U+FFFD, so that reading never fails.
std::string CodePageToUtf8(std::string_view cp932);

// Converts code-page bytes to UTF-8; nullopt when some byte sequence (a lead byte cut off at the
// end included) has no character in the code page. Success is what makes bytes valid code-page
// text.
std::optional<std::string> StrictCodePageToUtf8(std::string_view cp932);

// Converts UTF-8 to code-page bytes; nullopt when some character has no code-page form or when the
// input is not valid UTF-8.
std::optional<std::string> Utf8ToCodePage(std::string_view utf8);

// True when the bytes are well-formed UTF-8 (no overlong forms, surrogates or values past
// U+10FFFF). Plain ASCII is valid UTF-8.
bool IsValidUtf8(std::string_view bytes);
