#pragma once

// Byte builders for the stream information tests: frames, tags and containers that no tool
// writes, assembled by hand.

#include <unistd.h>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

namespace mp3test {

inline std::string Repeat(size_t n, char c) { return std::string(n, c); }

inline std::string Be32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
          static_cast<char>(v)};
}

inline std::string Le32(uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
          static_cast<char>(v >> 24)};
}

// `count` MPEG-1 Layer III frames of 417 bytes (128 kbit/s, 44.1 kHz).
inline std::string Frames(int count) {
  std::string out;
  for (int i = 0; i < count; ++i) out += std::string("\xFF\xFB\x90\x64", 4) + Repeat(413, '\x55');
  return out;
}

inline std::string Id3v2Frame(const std::string& id, const std::string& content) {
  return id + Be32(static_cast<uint32_t>(content.size())) + std::string(2, '\0') + content;
}

// An ID3v2 tag of the given version and flags around `body` (frames and padding).
inline std::string Id3v2Tag(const std::string& body, uint8_t major = 3, uint8_t flags = 0) {
  const auto size = static_cast<uint32_t>(body.size());
  std::string header = "ID3";
  header += static_cast<char>(major);
  header += '\0';
  header += static_cast<char>(flags);
  for (int shift = 21; shift >= 0; shift -= 7) header += static_cast<char>((size >> shift) & 0x7F);
  return header + body;
}

inline std::string Field(const std::string& text, size_t width) {
  std::string out = text.substr(0, width);
  out.resize(width, '\0');
  return out;
}

inline std::string Id3v1Tag(const std::string& title, const std::string& artist = "",
                            const std::string& comment = "", uint8_t genre = 12) {
  return "TAG" + Field(title, 30) + Field(artist, 30) + Field("", 30) + Field("", 4) +
         Field(comment, 30) + static_cast<char>(genre);
}

// A temporary folder for the files a test writes; removed with the object.
class TempDir {
 public:
  TempDir()
      : path_(std::filesystem::temp_directory_path() /
              ("korva-mp3-test-" + std::to_string(::getpid()))) {
    std::filesystem::create_directories(path_);
  }
  ~TempDir() { std::filesystem::remove_all(path_); }
  std::string Write(const std::string& name, const std::string& bytes) const {
    const auto file = path_ / name;
    std::ofstream(file, std::ios::binary) << bytes;
    return file.string();
  }

 private:
  std::filesystem::path path_;
};

}  // namespace mp3test
