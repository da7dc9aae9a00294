#include "app/config/windows_kind.h"

int GetWindowsKind(const TOsVersion& version) {
  if (version.Platform == TOsPlatform::ospWin9x && version.Major == 4) {
    if (version.Minor < 10) return 1;
    return version.Minor < 90 ? 2 : 3;
  }
  if (version.Platform == TOsPlatform::ospNT) {
    if (version.Major == 4) return 5;
    if (version.Major == 5) return version.Minor == 0 ? 4 : 6;
  }
  return 0;
}
