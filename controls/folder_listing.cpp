#include "controls/folder_listing.h"

#include <QCollator>
#include <QDir>
#include <algorithm>
#include <filesystem>
#include <system_error>

#include "platform/text_compare.h"

#ifdef _WIN32
#include <windows.h>
// After windows.h, whose types it uses.
#include <shellapi.h>

#include "platform/windows/wide.h"
#endif

namespace fs = std::filesystem;

namespace {

// The folder a node's path names, as the file system reads it.
fs::path FsPath(const std::string& utf8) {
  const std::string folder = FolderToOpen(utf8);
  return fs::path(std::u8string(folder.begin(), folder.end()));
}

std::string Utf8Name(const fs::path& path) {
  const std::u8string name = path.filename().u8string();
  return std::string(name.begin(), name.end());
}

// A directory search that treats every error (no medium, no access) as the end of the listing.
template <typename Visit>
void ForEachSubfolder(const std::string& path, Visit visit) {
  std::error_code error;
  fs::directory_iterator it(FsPath(path), fs::directory_options::skip_permission_denied, error);
  for (; !error && it != fs::directory_iterator(); it.increment(error)) {
    std::error_code type_error;
    if (it->is_directory(type_error) && !visit(it->path())) return;
  }
}

const QCollator& NameCollator() {
  static const QCollator collator = [] {
    QCollator c;
    c.setCaseSensitivity(Qt::CaseInsensitive);
    return c;
  }();
  return collator;
}

std::string ToUtf8(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace

#ifdef _WIN32
namespace {

// The name the system shows for a drive, such as "ローカル ディスク (C:)"; the bare drive
// name when the shell has none. A drive without a label may come with a leading space
// (" (C:)" under Wine), which would make the space key's type-ahead jump to it.
std::string DriveCaption(const std::string& name) {
  SHFILEINFOW info{};
  const std::wstring root = Widen(FolderToOpen(name));
  if (SHGetFileInfoW(root.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME) == 0) return name;
  const QString caption = QString::fromWCharArray(info.szDisplayName).trimmed();
  return caption.isEmpty() ? name : ToUtf8(caption);
}

}  // namespace

std::vector<TRootFolder> ListRootFolders() {
  std::vector<TRootFolder> roots;
  for (const QFileInfo& drive : QDir::drives()) {
    const QString root = QDir::toNativeSeparators(drive.absoluteFilePath());
    const auto type =
        static_cast<TDriveType>(GetDriveTypeW(reinterpret_cast<LPCWSTR>(root.utf16())));
    const std::string name = ToUtf8(root.left(2));
    roots.push_back({name, DriveCaption(name), type <= dtRAM ? type : dtUnknown});
  }
  return roots;
}
#else
std::vector<TRootFolder> ListRootFolders() {
  std::vector<TRootFolder> roots{{"/", "/", dtFixed}};
  const QString home = QDir::homePath();
  roots.push_back({ToUtf8(home), ToUtf8(QDir(home).dirName()), dtFixed});
  const QString prefix = qEnvironmentVariableIsEmpty("WINEPREFIX")
                             ? home + "/.wine"
                             : qEnvironmentVariable("WINEPREFIX");
  const QString drive_c = QDir::cleanPath(prefix + "/drive_c");
  if (QFileInfo(drive_c).isDir()) roots.push_back({ToUtf8(drive_c), "C: (Wine)", dtFixed});
  return roots;
}
#endif

bool HasSubfolders(const std::string& path) {
  bool found = false;
  ForEachSubfolder(path, [&](const fs::path&) {
    found = true;
    return false;
  });
  return found;
}

std::vector<std::string> ListSubfolders(const std::string& path) {
  std::vector<std::string> names;
  ForEachSubfolder(path, [&](const fs::path& entry) {
    names.push_back(Utf8Name(entry));
    return true;
  });
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return CompareNames(a, b) < 0; });
  return names;
}

bool IsFolderLink(const std::string& path) {
  std::error_code error;
  return fs::is_symlink(FsPath(path), error);
}

int CompareNames(const std::string& a, const std::string& b) {
  const int result = NameCollator().compare(QString::fromUtf8(a), QString::fromUtf8(b));
  // Names equal but for letter case still get a fixed order, so sorting is stable across runs.
  return result != 0 ? result : a.compare(b);
}

bool SamePath(const std::string& a, const std::string& b) {
#ifdef _WIN32
  return SameText(a, b);
#else
  return a == b;
#endif
}
