#include <cstdlib>

#include "platform/files.h"
#include "platform/wine_paths.h"

std::optional<std::string> WinePrefix() {
  if (const char* prefix = std::getenv("WINEPREFIX"); prefix && *prefix) return prefix;
  const char* home = std::getenv("HOME");
  return JoinPath(home ? home : "", ".wine");
}
