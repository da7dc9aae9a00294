#pragma once

#include <cstdint>
#include <string>

#include "mp3player/compo/io/stream.h"

// A regular file opened for reading while other programs may read it too. Opening never waits;
// opening something else than a regular file, and reading failures, raise std::system_error with
// the path and the system's reason.
class TMPFileStream : public TMPStream {
 public:
  explicit TMPFileStream(const std::string& path);
  ~TMPFileStream() override;
  TMPFileStream(const TMPFileStream&) = delete;
  TMPFileStream& operator=(const TMPFileStream&) = delete;

  int32_t Read(uint8_t* buffer, int32_t count) override;
  int32_t Seek(int32_t offset, int origin) override;
  int32_t Size() override;

 private:
  std::string path_;
#ifdef _WIN32
  void* handle_;
#else
  int fd_;
#endif
};
