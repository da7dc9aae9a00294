// Where a stream mutation takes its decisions from: a seeded generator (the test tool), or the
// bytes of a fuzzer's input, which run out into "no change".
#pragma once

#include <cstddef>
#include <cstdint>
#include <random>

class TMutationChoices {
 public:
  explicit TMutationChoices(uint64_t seed) : generator_(seed), random_(true) {}
  TMutationChoices(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  // A number in 0..n-1 (0 for n <= 1 and once the bytes have run out).
  uint32_t Below(uint32_t n) {
    if (n <= 1) return 0;
    if (random_) return static_cast<uint32_t>(generator_() % n);
    uint32_t v = 0;
    for (uint32_t range = 1; range < n && range < (1u << 24); range <<= 8) v = v << 8 | Byte();
    return v % n;
  }

  // True `percent` times in a hundred; false once the bytes have run out.
  bool Chance(uint32_t percent) { return Below(100) >= 100 - percent; }

 private:
  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }

  std::mt19937_64 generator_;
  bool random_ = false;
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t pos_ = 0;
};
