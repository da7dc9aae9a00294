#include "platform/data_folders.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

namespace {

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home && *home) return home;
  // A session without HOME (a service, a stripped environment) still has a password entry.
  if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_dir) return entry->pw_dir;
  return "/";
}

// Creates the folder and its missing parents, private to the person as the XDG base directories
// are. A folder that cannot be created is left to the first write into it, which reports it.
void CreateFolders(const std::filesystem::path& folder) {
  std::filesystem::path partial;
  for (const auto& part : folder) {
    partial /= part;
    if (mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) return;
  }
}

std::string WithSeparator(const std::filesystem::path& folder) {
  std::string text = folder.lexically_normal().string();
  if (text.empty() || text.back() != '/') text += '/';
  return text;
}

// KORVA_DATA_DIR when set; else the XDG variable when it holds an absolute path (the XDG rules
// say to ignore a relative one), else the home folder's default; then "korva" below it.
std::string KorvaFolder(const char* xdgVariable, const char* homeDefault) {
  std::filesystem::path folder;
  if (const char* dir = std::getenv("KORVA_DATA_DIR"); dir && *dir) {
    std::error_code error;
    folder = std::filesystem::absolute(dir, error);
    if (error) folder = dir;
  } else if (const char* base = std::getenv(xdgVariable); base && *base == '/') {
    folder = std::filesystem::path(base) / "korva";
  } else {
    folder = std::filesystem::path(HomeFolder()) / homeDefault / "korva";
  }
  CreateFolders(folder);
  return WithSeparator(folder);
}

}  // namespace

std::string UserDataFolder() { return KorvaFolder("XDG_DATA_HOME", ".local/share"); }

std::string UserSettingsFolder() { return KorvaFolder("XDG_CONFIG_HOME", ".config"); }
