#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// Line-oriented text files in the code page or in UTF-8.
//
// Reading: a file that begins with the UTF-8 byte-order mark is UTF-8. Any other file is code
// page 932 when it is valid code-page text, UTF-8 when it is not but is valid UTF-8, and
// otherwise code page 932 with U+FFFD for what cannot be read. Whatever WriteTextLines writes
// therefore reads back the same. CR LF, a lone CR and a lone LF all end a line; a final line
// without an end is still a line. Lines come back as UTF-8, so a Shift-JIS trail byte of 0x5C
// has become part of its character and can never be mistaken for a path separator.
//
// Both functions throw TFileError (platform/files.h) when the file cannot be read or written.
// Reading takes only a regular file of at most kMaxTextFileBytes, opened without waiting: a
// named pipe, a device or a huge file is as unreadable as a missing one, so it can neither hang
// the program nor exhaust its memory.

inline constexpr std::size_t kMaxTextFileBytes = 64 << 20;

std::vector<std::string> ReadTextLines(const std::string& path);

enum class TTextEncoding {
  // Korva's own files: the code page when every character has a code-page form, otherwise UTF-8
  // with a byte-order mark, so that any text written reads back the same.
  tenCodePageOrUtf8,
  // Files other programs read in the code page only (the game's music table): a character
  // without a code-page form is an error and nothing is written.
  tenCodePageOnly,
};

// Encodes the lines with CR LF after every one, the last included.
std::string EncodeTextLines(const std::vector<std::string>& lines, TTextEncoding encoding);

// Writes the lines atomically (see WriteFileAtomic): the old file stays whole on any failure.
void WriteTextLines(const std::string& path, const std::vector<std::string>& lines,
                    TTextEncoding encoding);

// Splits decoded text into lines at CR LF, CR or LF.
std::vector<std::string> SplitLines(std::string_view text);

// Decodes a file's bytes by the rule above into UTF-8 (a byte-order mark removed).
std::string DecodeText(std::string_view bytes);
