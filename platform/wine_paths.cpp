#include "platform/wine_paths.h"

#include <cctype>

#include "platform/files.h"

namespace {

bool HasDriveLetter(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' && std::isalpha(static_cast<unsigned char>(path[0]));
}

// The folder a drive letter stands for in the prefix.
std::string DriveFolder(const std::string& prefix, char letter) {
  const char drive = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
  const std::string link = JoinPath(prefix, std::string("dosdevices/") + drive + ":");
  // A prefix that Wine has not finished setting up may lack its links; drive_c is always there.
  if (drive == 'c' && !DirectoryExists(link)) return JoinPath(prefix, "drive_c");
  return link;
}

}  // namespace

std::string WinePathToUnix(const std::string& prefix, const std::string& windowsPath) {
  std::string rest = windowsPath;
  std::string base;
  if (HasDriveLetter(rest)) {
    base = DriveFolder(prefix, rest[0]);
    rest.erase(0, 2);
    if (rest.empty() || rest.front() != '\\') rest.insert(rest.begin(), '\\');
  }
  for (char& c : rest) {
    if (c == '\\') c = '/';
  }
  return base + rest;
}

std::optional<std::string> WindowsPathToLocal(const std::string& path) {
  if (!HasDriveLetter(path) || path.size() < 3 || path[2] != '\\') return std::nullopt;
  const auto prefix = WinePrefix();
  // Without the drive in the prefix the mapped path could name nothing; the text stays as it is.
  if (!prefix || !DirectoryExists(DriveFolder(*prefix, path[0]))) return std::nullopt;
  return WinePathToUnix(*prefix, path);
}
