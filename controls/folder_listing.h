#pragma once

#include <string>
#include <vector>

#include "controls/folder_tree_view.h"
#include "platform/files.h"

// The file-system side of the folder tree: roots, subfolder listing and path rules. Paths are
// UTF-8 with the platform's separator.

struct TRootFolder {
  std::string path;     // "X:" for a drive, the full folder path elsewhere
  std::string caption;  // what the tree shows
  TDriveType type;
};

// The root level of the tree in display order.
std::vector<TRootFolder> ListRootFolders();

// True when the folder holds at least one folder; stops at the first one found.
bool HasSubfolders(const std::string& path);
// The names of the folder's subfolders (hidden ones included), sorted as the tree shows them.
// A folder that cannot be read has none.
std::vector<std::string> ListSubfolders(const std::string& path);
// True when the path is a symbolic link (never followed when a whole subtree is read, so that a
// link to a parent cannot make the reading endless).
bool IsFolderLink(const std::string& path);

// Case-insensitive, locale-aware comparison of names (negative: a first).
int CompareNames(const std::string& a, const std::string& b);
// Whether two paths name the same folder on this platform's file system.
bool SamePath(const std::string& a, const std::string& b);
