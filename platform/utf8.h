#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// Small UTF-8 helpers shared by the platform layer's text functions.

// Decodes the code point at text[pos] and advances pos past it. Returns false, leaving pos
// unchanged, when the bytes there are not a well-formed UTF-8 sequence.
bool DecodeUtf8(std::string_view text, std::size_t& pos, char32_t& cp);

// The bytes as UTF-8, with U+FFFD in place of every byte that begins no well-formed sequence.
std::string ValidUtf8(std::string_view bytes);

// Appends the UTF-8 form of a code point (which must be a Unicode scalar value).
void AppendUtf8(std::string& out, char32_t cp);
