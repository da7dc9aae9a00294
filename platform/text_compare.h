#pragma once

#include <string>
#include <string_view>
#include <vector>

// Comparison of names and paths without regard to letter case, as Windows compares file names:
// Unicode simple case folding, so "Ä" matches "ä" and full-width "Ａ" matches "ａ", not only
// ASCII. Text that is not valid UTF-8 is compared byte for byte where it is broken.

// The case-folded form of a UTF-8 text.
std::string FoldCase(std::string_view utf8);

// True when the two texts are equal without regard to letter case.
bool SameText(std::string_view a, std::string_view b);

// True when name matches the wildcard pattern ('*' any run of characters, '?' exactly one
// character) without regard to letter case.
bool MatchesWildcard(std::string_view name, std::string_view pattern);

// Sorts file names the way Windows lists a folder: by their case-folded form, so "b.mp3" comes
// between "A.mp3" and "C.mp3" whatever the file system's own order; names equal but for letter
// case keep a fixed order (by their bytes).
void SortNames(std::vector<std::string>& names);

// Folds one code point (the platform supplies the case tables).
char32_t FoldChar(char32_t cp);
