#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <string_view>

// A fresh folder under the system's temporary folder, removed with everything in it at the end
// of the test.
class TTempDir {
 public:
  TTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "korva-test-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TTempDir() {
    std::error_code ignored;
    // Read-only files left by a test must not stop the clean-up.
    for (const auto& entry : std::filesystem::recursive_directory_iterator(path_, ignored)) {
      std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(path_, ignored);
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(std::string_view name) const { return path_ + "/" + std::string(name); }

 private:
  std::string path_;
};

inline void WriteBytes(const std::string& path, std::string_view bytes) {
  std::ofstream(path, std::ios::binary).write(bytes.data(), bytes.size());
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every file below a folder with its content, by path relative to the folder: two snapshots are
// equal exactly when no file was added, removed, renamed or changed.
using TSnapshot = std::map<std::string, std::string>;

inline TSnapshot TakeSnapshot(const std::string& folder) {
  TSnapshot files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file()) {
      files[std::filesystem::relative(entry.path(), folder).string()] = ReadBytes(entry.path());
    }
  }
  return files;
}
