#include <cstdlib>

#include "platform/files.h"
#include "platform/install_dir.h"
#include "platform/wine_paths.h"

std::optional<std::string> ReadGameInstallDir() {
  if (const char* dir = std::getenv("KORVA_INSTALL_DIR")) return std::string(dir);
  const std::string prefix = *WinePrefix();
  const auto value =
      ReadWineRegistryString(JoinPath(prefix, "system.reg"), kGameRegistryKey, kInstallDirValue);
  if (!value) return std::nullopt;
  return WinePathToUnix(prefix, *value);
}
