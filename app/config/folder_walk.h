#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/folder_identity.h"

// The MP3 files of one folder, as the walk below finds them.
struct TFolderFinds {
  std::string Folder;
  std::vector<std::string> Files;  // names, in the order the file system returns them
};

// Walks a folder tree depth first, one folder at a time, so that the caller can keep a window
// alive and stop between folders. Every folder is read once however many links lead to it, so
// a link to a parent cannot make the walk endless; the folders still to read are kept in a list
// rather than on the call stack, so a deep tree cannot exhaust it.
class TMp3FolderWalk {
 public:
  explicit TMp3FolderWalk(const std::string& root);

  // Reads the next folder: its MP3 files (a name ending in ".mp3" in any letter case), then
  // its subfolders go to the front of what is left. Nothing once the whole tree has been read.
  std::optional<TFolderFinds> Next();
  // How many folders have been read so far.
  size_t FoldersRead() const { return folders_read_; }

 private:
  std::vector<std::string> pending_;  // the last one is read next
  std::set<TFolderId> seen_;
  size_t folders_read_ = 0;
};

// The folder a person typed, with one trailing separator removed ("D:\Music\" is searched as
// "D:\Music"); a root such as "/" keeps its separator, since removing it would name no folder.
std::string SearchFolderFromInput(const std::string& text);
