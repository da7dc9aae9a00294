#pragma once

#include <algorithm>
#include <filesystem>
#include <string>

#include "tests/platform/scoped_env.h"
#include "tests/platform/temp_dir.h"

// A Wine prefix in a temporary folder whose drive Z: is the root folder, as Wine sets it up, with
// WINEPREFIX pointing at it for the life of the object.
class TWinePrefix {
 public:
  TWinePrefix() {
    std::filesystem::create_directories(U8Path(folder_ / "dosdevices"));
    std::filesystem::create_directory_symlink("/", U8Path(folder_ / "dosdevices/z:"));
  }
  const TTempDir& Folder() const { return folder_; }

 private:
  TTempDir folder_;
  TEnv env_{"WINEPREFIX", folder_.path().c_str()};
};

// The "Z:\..." path under which programs in a Wine prefix see a local path.
inline std::string ZDrivePath(const std::string& local) {
  std::string path = "Z:" + local;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}
