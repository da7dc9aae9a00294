#include "app/config/folder_walk.h"

#include <algorithm>

#include "platform/files.h"

TMp3FolderWalk::TMp3FolderWalk(const std::string& root) { pending_.push_back(root); }

std::optional<TFolderFinds> TMp3FolderWalk::Next() {
  while (!pending_.empty()) {
    std::string folder = std::move(pending_.back());
    pending_.pop_back();
    TFolderId id;
    // A folder that is gone or cannot be identified is read anyway; only a known one is skipped.
    if (GetFolderId(folder, id) && !seen_.insert(id).second) continue;
    ++folders_read_;
    std::vector<std::string> subfolders = ListSubfolderNames(folder);
    for (auto it = subfolders.rbegin(); it != subfolders.rend(); ++it) {
      pending_.push_back(JoinPath(folder, *it));
    }
    std::vector<std::string> files = ListFiles(folder, "*.mp3");
    return TFolderFinds{std::move(folder), std::move(files)};
  }
  return std::nullopt;
}

std::string SearchFolderFromInput(const std::string& text) {
  if (text.size() > 1 && text.back() == kPathSeparator) return text.substr(0, text.size() - 1);
  return text;
}
