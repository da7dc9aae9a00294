#include "platform/folder_identity.h"

#include <dirent.h>
#include <limits.h>
#include <stdlib.h>
#include <sys/stat.h>

#include "platform/files.h"
#include "platform/text_compare.h"

bool GetFolderId(const std::string& folder, TFolderId& id) {
  struct stat st;
  if (stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
  id = {static_cast<uint64_t>(st.st_dev), static_cast<uint64_t>(st.st_ino)};
  return true;
}

std::vector<std::string> ListSubfolderNames(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    bool is_folder = entry->d_type == DT_DIR;
    // A link or a file system without entry types needs the status; stat never opens the entry.
    if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
      struct stat st;
      is_folder = stat(JoinPath(folder, name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    }
    if (is_folder) names.push_back(name);
  }
  closedir(dir);
  SortNames(names);
  return names;
}

bool IsSystemFolder(const std::string& folder) {
  char resolved[PATH_MAX];
  if (realpath(folder.c_str(), resolved) == nullptr) return false;
  const std::string_view path(resolved);
  for (const std::string_view system : {"/proc", "/sys", "/dev"}) {
    if (path.starts_with(system) && (path.size() == system.size() || path[system.size()] == '/'))
      return true;
  }
  return false;
}
