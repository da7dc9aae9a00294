#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <unordered_set>

// How Apply names the files it copies into the music folder.

// True when a table entry names a plain file inside the music folder: not empty, not "." or
// "..", and without a separator or drive colon of any platform.
bool IsPlainFileName(const std::string& name);

// The file name a source file gets in the music folder before numbering: blanks, commas,
// separators, quotes, control characters and every character without a code-page form become
// "_", so the name survives the game's table unchanged; a name that does not end in ".mp3"
// gets that extension, since the table names files without it. A stem longer than
// kMaxStemBytes is cut at a character boundary, so that the name with a number still fits every
// file system's limit.
std::string TableSafeFileName(const std::string& sourceName);

inline constexpr std::size_t kMaxStemBytes = 200;

// The file names in use in a folder, compared without regard to letter case, and the free names
// taken from them. Each look-up costs the same however many names there are, so naming a whole
// table stays near-linear.
class TTakenNames {
 public:
  // Notes the file-name part of a path as taken.
  void Add(const std::string& path);
  // The first of name, stem + "2.mp3", stem + "3.mp3", ... that is not taken; it is taken then.
  std::string TakeFree(const std::string& name);

 private:
  bool Contains(const std::string& name) const;

  std::unordered_set<std::string> folded_;
  std::unordered_map<std::string, int> nextNumber_;  // by folded stem: every lower number is taken
};

// The key under which a copy's name, its numbered variants and its size meet: the folded stem
// without the digits at its end ("Song2.mp3" and "song.mp3" both give "song"), and the size.
std::string EarlierCopyKey(const std::string& name, int64_t size);
