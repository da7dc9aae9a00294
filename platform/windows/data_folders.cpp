#include "platform/data_folders.h"

#include <shlobj.h>

#include "platform/files.h"
#include "platform/program_path.h"
#include "platform/windows/user_folder.h"
#include "platform/windows/wide.h"

namespace {

// Only creating a file tells whether a folder is writable: the attribute bits say nothing about
// the access rights that keep an installed copy under "Program Files" from writing there.
bool CanCreateFileIn(const std::string& folder) {
  const std::string probe =
      JoinPath(folder, "korva-probe-" + std::to_string(GetCurrentProcessId()) + ".tmp");
  const HANDLE file = CreateFileW(Widen(probe).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

// The person's roaming application-data folder; APPDATA names it in every session, and the
// shell is asked where a program runs without it.
std::string RoamingAppData() {
  if (const wchar_t* value = _wgetenv(L"APPDATA"); value != nullptr && *value != L'\0') {
    return Narrow(value);
  }
  PWSTR path = nullptr;
  std::string folder;
  if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_CREATE, nullptr, &path))) {
    folder = Narrow(path);
  }
  CoTaskMemFree(path);
  return folder;
}

bool IsInstalledCopy(const std::string& programFolder) {
  return FileExists(JoinPath(programFolder, kUninstallerName));
}

}  // namespace

std::string UserFolderFor(const std::string& programFolder) {
  if (!IsInstalledCopy(programFolder) && CanCreateFileIn(programFolder)) return programFolder;
  const std::string appData = RoamingAppData();
  // Without a place of its own the program keeps to its folder, where saving then fails with
  // the usual message.
  if (appData.empty()) return programFolder;
  const std::string folder = JoinPath(appData, "Korva") + kPathSeparator;
  CreateDirectoryW(Widen(folder).c_str(), nullptr);
  return folder;
}

std::string UserDataFolder() {
  // Asked once: the answer does not change while the program runs, and every probe writes.
  static const std::string folder = UserFolderFor(ProgramFolder());
  return folder;
}

std::string UserSettingsFolder() { return UserDataFolder(); }
