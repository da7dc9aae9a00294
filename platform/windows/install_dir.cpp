#include <windows.h>

#include "platform/install_dir.h"
#include "platform/windows/wide.h"

std::optional<std::string> ReadGameInstallDir() {
  HKEY key;
  // The 32-bit game writes to the 32-bit view; a 64-bit build must ask for it explicitly.
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, Widen(kGameRegistryKey).c_str(), 0,
                    KEY_READ | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  std::wstring value;
  DWORD type = 0;
  DWORD bytes = 0;
  const std::wstring name = Widen(kInstallDirValue);
  if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS &&
      (type == REG_SZ || type == REG_EXPAND_SZ)) {
    value.resize(bytes / sizeof(wchar_t) + 1);
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(value.data()),
                         &bytes) == ERROR_SUCCESS) {
      value.resize(wcsnlen(value.c_str(), bytes / sizeof(wchar_t)));
    } else {
      value.clear();
    }
  }
  RegCloseKey(key);
  return Narrow(value);
}
