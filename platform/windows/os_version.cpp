#include <windows.h>

#include "platform/os_version.h"

TOsVersion CurrentOsVersion() {
  // GetVersionEx reports what the program's manifest admits to, which is what the checks that
  // use this record were written against.
  OSVERSIONINFOW info{};
  info.dwOSVersionInfoSize = sizeof info;
#ifdef _MSC_VER
#pragma warning(suppress : 4996)
#endif
  if (!GetVersionExW(&info)) return {};
  TOsVersion version;
  version.Major = static_cast<int>(info.dwMajorVersion);
  version.Minor = static_cast<int>(info.dwMinorVersion);
  version.Platform = info.dwPlatformId == VER_PLATFORM_WIN32_NT        ? TOsPlatform::ospNT
                     : info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS ? TOsPlatform::ospWin9x
                                                                       : TOsPlatform::ospOther;
  return version;
}
