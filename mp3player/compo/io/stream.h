#pragma once

#include <cstdint>

// A source of bytes for the buffered reader: read, position and size. Positions and sizes are
// 32-bit; files of 2 GiB or more are outside the design.
class TMPStream {
 public:
  virtual ~TMPStream() = default;
  // Reads up to `count` bytes; returns how many were read, 0 at the end of the stream.
  virtual int32_t Read(uint8_t* buffer, int32_t count) = 0;
  // Positions the stream; `origin` is 0 (from the beginning), 1 (from the current position) or
  // 2 (from the end). Returns the new absolute position.
  virtual int32_t Seek(int32_t offset, int origin) = 0;
  virtual int32_t Size() = 0;
};
