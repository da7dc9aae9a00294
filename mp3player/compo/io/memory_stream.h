#pragma once

#include <cstdint>

#include "mp3player/compo/io/stream.h"

// A stream over bytes that the caller keeps alive, for data already in memory.
class TMPMemoryStream : public TMPStream {
 public:
  TMPMemoryStream(const uint8_t* data, int32_t size);

  int32_t Read(uint8_t* buffer, int32_t count) override;
  int32_t Seek(int32_t offset, int origin) override;
  int32_t Size() override { return size_; }

 private:
  const uint8_t* data_;
  int32_t size_;
  int32_t position_ = 0;
};
