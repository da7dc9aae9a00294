#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/folder_identity.h"

// A run of MP3 files of one folder, as the walk below finds them.
struct TFolderFinds {
  std::string Folder;
  std::vector<std::string> Files;  // names, in name order
};

// Walks a folder tree depth first in name order, as Windows lists folders: a subfolder is walked
// where its name comes, before the files that follow it, so an album's "CD1" folder comes before
// its "cover.mp3". One call reads up to the next subfolder, so that the caller can keep a window
// alive and stop between folders. Every folder is read once however many links lead to it, so a
// link to a parent cannot make the walk endless; the system's pseudo folders (/proc, /sys, /dev)
// are never entered. The folders still open are kept in a list rather than on the call stack, so
// a deep tree cannot exhaust it.
class TMp3FolderWalk {
 public:
  explicit TMp3FolderWalk(const std::string& root);

  // The next run of MP3 files (a name ending in ".mp3" in any letter case) of one folder, up to
  // its next subfolder or its end; it may be empty. Nothing once the whole tree has been read.
  std::optional<TFolderFinds> Next();
  // How many folders have been read so far.
  size_t FoldersRead() const { return folders_read_; }

 private:
  struct TOpenFolder {
    std::string Path;
    std::vector<std::string> Names;  // files and subfolders, in name order
    std::set<std::string> Subfolders;
    size_t Index = 0;
  };
  void Enter(const std::string& folder);

  std::vector<TOpenFolder> open_;  // the last one is read next
  std::set<TFolderId> seen_;
  size_t folders_read_ = 0;
};

// The folder a person typed, with one trailing separator removed ("D:\Music\" is searched as
// "D:\Music"); a root such as "/" keeps its separator, since removing it would name no folder.
std::string SearchFolderFromInput(const std::string& text);
