#pragma once

#include <compare>
#include <cstdint>
#include <string>
#include <vector>

// What a walk over a folder tree needs to recognise a folder it reaches a second time, through a
// symbolic link, a junction or a mount of the same folder elsewhere.
struct TFolderId {
  uint64_t Volume = 0;
  uint64_t Index = 0;
  auto operator<=>(const TFolderId&) const = default;
};

// The identity of a folder (a link is followed); false when it cannot be had.
bool GetFolderId(const std::string& folder, TFolderId& id);

// The names of a folder's subfolders, links to folders included, in the order the file system
// returns them. Entries are told apart by their directory entry type or their status, never by
// opening them, so a named pipe or a device cannot block the caller. An unreadable folder has none.
std::vector<std::string> ListSubfolderNames(const std::string& folder);
