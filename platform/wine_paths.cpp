#include "platform/wine_paths.h"

#include <cctype>
#include <filesystem>
#include <system_error>

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
  if (!prefix) return std::nullopt;
  const std::string drive = DriveFolder(*prefix, path[0]);
  // Without the drive in the prefix the mapped path could name nothing; the text stays as it is.
  if (!DirectoryExists(drive)) return std::nullopt;
  // The drive's real folder, so that the path is the one the folder tree and the file list show:
  // "Z:\home\a.mp3" is /home/a.mp3, not a path through prefix/dosdevices/z:.
  std::error_code error;
  const std::filesystem::path real = std::filesystem::canonical(drive, error);
  const std::string mapped = WinePathToUnix(*prefix, path);
  if (error) return mapped;
  std::string folder = real.string();
  if (!folder.empty() && folder.back() == '/') folder.pop_back();  // the root
  return folder + mapped.substr(drive.size());
}
