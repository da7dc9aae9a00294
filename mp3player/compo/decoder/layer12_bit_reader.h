// The bit reader of Layers I and II: most significant bit first over one frame.
#pragma once

#include <cstdint>

#include "mp3player/compo/decoder/big_endian.h"

// Reads and skips bits of one frame. Corrupt allocations may ask for far more bits than the
// frame holds, so the reader never looks past `end`: bits beyond it read as zeros.
class TMPLayer12BitReader {
 public:
  TMPLayer12BitReader(const uint8_t* begin, const uint8_t* end) : next_(begin), end_(end) {}

  // Returns the next `n` bits (1..57) as an unsigned number.
  uint64_t Read(int n) {
    if (valid_ < n) Refill();
    valid_ -= n;
    return (buffer_ >> valid_) & ((uint64_t{1} << n) - 1);
  }

  // Drops the next `n` bits (n >= 0), however many.
  void Skip(int64_t n) {
    if (n <= valid_) {
      valid_ -= static_cast<int>(n);
      return;
    }
    n -= valid_;
    valid_ = 0;
    const int64_t whole_bytes = n / 8;
    next_ = whole_bytes < end_ - next_ ? next_ + whole_bytes : end_;
    if (n % 8 != 0) Read(static_cast<int>(n % 8));
  }

 private:
  // Tops the buffer up to at least 57 valid bits: whole bytes, eight at a time where the frame
  // has them.
  void Refill() {
    const int take = (64 - valid_) / 8;
    if (end_ - next_ >= 8) {
      const uint64_t word = MPLoadBigEndian64(next_);
      buffer_ = take == 8 ? word : (buffer_ << (8 * take)) | (word >> (64 - 8 * take));
      next_ += take;
      valid_ += 8 * take;
      return;
    }
    for (int i = 0; i < take; ++i) buffer_ = (buffer_ << 8) | (next_ < end_ ? *next_++ : 0u);
    valid_ += 8 * take;
  }

  const uint8_t* next_;
  const uint8_t* end_;
  uint64_t buffer_ = 0;
  int valid_ = 0;
};
