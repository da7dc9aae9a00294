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

// The names of a folder's subfolders, links to folders included, in name order (SortNames).
// Entries are told apart by their directory entry type or their status, never by opening them, so
// a named pipe or a device cannot block the caller. An unreadable folder has none.
std::vector<std::string> ListSubfolderNames(const std::string& folder);

// True for a folder of the system's pseudo file systems (/proc, /sys, /dev, also when reached
// through a link such as a Wine prefix's drive Z:). They hold no music, but endless trees and
// paths such as /proc/self/... that name something else in the next process; a walk stays out.
bool IsSystemFolder(const std::string& folder);
