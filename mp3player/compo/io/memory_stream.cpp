#include "mp3player/compo/io/memory_stream.h"

#include <algorithm>
#include <cstring>

TMPMemoryStream::TMPMemoryStream(const uint8_t* data, int32_t size)
    : data_(data), size_(std::max(size, 0)) {}

int32_t TMPMemoryStream::Read(uint8_t* buffer, int32_t count) {
  const int32_t n = std::clamp(size_ - position_, 0, std::max(count, 0));
  if (n > 0) std::memcpy(buffer, data_ + position_, static_cast<size_t>(n));
  position_ += n;
  return n;
}

int32_t TMPMemoryStream::Seek(int32_t offset, int origin) {
  int64_t base = 0;
  if (origin == 1) base = position_;
  if (origin == 2) base = size_;
  position_ = static_cast<int32_t>(std::clamp<int64_t>(base + offset, 0, size_));
  return position_;
}
