#include "app/config/folder_walk.h"

#include "platform/files.h"
#include "platform/text_compare.h"

TMp3FolderWalk::TMp3FolderWalk(const std::string& root) { Enter(root); }

void TMp3FolderWalk::Enter(const std::string& folder) {
  if (IsSystemFolder(folder)) return;
  TFolderId id;
  // A folder that is gone or cannot be identified is read anyway; only a known one is skipped.
  if (GetFolderId(folder, id) && !seen_.insert(id).second) return;
  ++folders_read_;
  TOpenFolder open{folder, ListFiles(folder, "*.mp3"), {}, 0};
  for (std::string& name : ListSubfolderNames(folder)) {
    open.Subfolders.insert(name);
    open.Names.push_back(std::move(name));
  }
  SortNames(open.Names);
  open_.push_back(std::move(open));
}

std::optional<TFolderFinds> TMp3FolderWalk::Next() {
  while (!open_.empty()) {
    TOpenFolder& top = open_.back();
    if (top.Index == top.Names.size()) {
      open_.pop_back();
      continue;
    }
    TFolderFinds finds{top.Path, {}};
    while (top.Index < top.Names.size() && !top.Subfolders.contains(top.Names[top.Index]))
      finds.Files.push_back(top.Names[top.Index++]);
    if (top.Index < top.Names.size()) {
      // Entering invalidates `top`.
      const std::string subfolder = JoinPath(top.Path, top.Names[top.Index++]);
      Enter(subfolder);
    }
    return finds;
  }
  return std::nullopt;
}

std::string SearchFolderFromInput(const std::string& text) {
  if (text.size() > 1 && text.back() == kPathSeparator) return text.substr(0, text.size() - 1);
  return text;
}
