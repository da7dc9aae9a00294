#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <string_view>

#include "tests/platform/scoped_env.h"

// Paths inside are UTF-8 text. std::filesystem reads a plain std::string in the ANSI code page on
// Windows, so paths cross over through these two.
inline std::filesystem::path U8Path(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
inline std::string Utf8(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

// The path separator as text, for paths the tests join by hand.
#ifdef _WIN32
inline const std::string kSep = "\\";
#else
inline const std::string kSep = "/";
#endif

// A fresh folder under the system's temporary folder, removed with everything in it at the end
// of the test.
class TTempDir {
 public:
  TTempDir() {
    std::random_device random;
    for (;;) {
      const auto path =
          std::filesystem::temp_directory_path() / ("korva-test-" + std::to_string(random()));
      if (std::filesystem::create_directory(path)) {
        path_ = Utf8(path);
        break;
      }
    }
  }
  ~TTempDir() {
    std::error_code ignored;
    // Read-only files left by a test must not stop the clean-up.
    for (const auto& entry :
         std::filesystem::recursive_directory_iterator(U8Path(path_), ignored)) {
      std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ignored);
    }
    std::filesystem::remove_all(U8Path(path_), ignored);
  }
  TTempDir(const TTempDir&) = delete;
  TTempDir& operator=(const TTempDir&) = delete;

  const std::string& path() const { return path_; }
  // The path of name (which may hold '/') inside the folder, in the platform's form.
  std::string operator/(std::string_view name) const {
#ifdef _WIN32
    std::string path = path_ + "\\" + std::string(name);
    for (char& c : path) {
      if (c == '/') c = '\\';
    }
    return path;
#else
    return path_ + "/" + std::string(name);
#endif
  }

 private:
  std::string path_;
};

inline void WriteBytes(const std::string& path, std::string_view bytes) {
  std::ofstream(U8Path(path), std::ios::binary).write(bytes.data(), bytes.size());
}

inline std::string ReadBytes(const std::string& path) {
  std::ifstream in(U8Path(path), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every file below a folder with its content, by path relative to the folder (with '/' on every
// system): two snapshots are equal exactly when no file was added, removed, renamed or changed.
using TSnapshot = std::map<std::string, std::string>;

inline TSnapshot TakeSnapshot(const std::string& folder) {
  TSnapshot files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(U8Path(folder))) {
    if (entry.is_regular_file()) {
      const std::u8string name =
          std::filesystem::relative(entry.path(), U8Path(folder)).generic_u8string();
      files[std::string(name.begin(), name.end())] = ReadBytes(Utf8(entry.path()));
    }
  }
  return files;
}
