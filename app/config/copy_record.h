#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/files.h"

// What Apply keeps in the game's music folder about its own doings there, so that the program
// and korva-apply (whatever data folder each uses) share it: the copies Apply made, each with
// the stamp it had when made, and the scene lines the game's table gained after its backup was
// taken. Apply deletes a file only when it is a recorded copy that nobody has changed since;
// files the record does not know are never deleted.
class TCopyRecord {
 public:
  // Reads the record of the music folder. A missing or damaged record reads as empty: every
  // file is then treated as not Korva's, which can only leave a copy behind, never delete one.
  static TCopyRecord Load(const std::string& musicFolder);
  // Replaces the record (atomically); an empty record removes the file. Throws TFileError.
  void Save(const std::string& musicFolder) const;

  // Notes the file of that name (in the music folder) as Korva's copy, with its present stamp.
  bool AddCopy(const std::string& musicFolder, const std::string& name);
  void RemoveCopy(const std::string& name);
  // True when the name (compared without regard to letter case) is a recorded copy.
  bool IsCopy(const std::string& name) const;
  // True when the name is a recorded copy and the file still has its recorded stamp.
  bool IsUnchangedCopy(const std::string& musicFolder, const std::string& name) const;
  // The recorded copies' names.
  std::vector<std::string> CopyNames() const;
  // The stamp a recorded copy had when it was made.
  std::optional<TFileStamp> RecordedStamp(const std::string& name) const;

  // Table lines of scenes that the game's table gained after its backup was taken; they count
  // as the game's own from then on.
  const std::vector<std::string>& GameLines() const { return gameLines_; }
  void AddGameLine(const std::string& line) { gameLines_.push_back(line); }
  void SetGameLines(std::vector<std::string> lines) { gameLines_ = std::move(lines); }

 private:
  struct TCopy {
    std::string Name;
    TFileStamp Stamp;
  };
  std::map<std::string, TCopy> copies_;  // by case-folded name
  std::vector<std::string> gameLines_;
};

// The record's file name in the music folder.
inline constexpr char kCopyRecordName[] = "KorvaCopies.txt";
