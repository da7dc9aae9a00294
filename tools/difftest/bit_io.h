// Most-significant-bit-first reading and writing of bit fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TBitReader {
 public:
  TBitReader(const uint8_t* data, size_t size, size_t bit_pos = 0)
      : data_(data), bits_(size * 8), pos_(bit_pos) {}

  // Reads `n` (<= 32) bits; past the end every bit reads as 0 and Overrun() turns true.
  uint32_t Read(int n) {
    uint32_t v = 0;
    for (int i = 0; i < n; ++i, ++pos_) {
      const uint32_t bit = pos_ < bits_ ? (data_[pos_ >> 3] >> (7 - (pos_ & 7))) & 1 : 0;
      v = v << 1 | bit;
    }
    return v;
  }
  size_t Position() const { return pos_; }
  bool Overrun() const { return pos_ > bits_; }

 private:
  const uint8_t* data_;
  size_t bits_;
  size_t pos_;
};

class TBitWriter {
 public:
  void Put(uint32_t value, int n) {
    while (n > 0) {
      if ((bits_ & 7) == 0) bytes_.push_back(0);
      const int free = 8 - static_cast<int>(bits_ & 7);
      const int take = n < free ? n : free;
      const uint32_t chunk = (value >> (n - take)) & ((1u << take) - 1);
      bytes_.back() |= static_cast<uint8_t>(chunk << (free - take));
      bits_ += take;
      n -= take;
    }
  }
  // Appends the bits of `other`.
  void Append(const TBitWriter& other) {
    const size_t whole = other.bits_ / 8;
    for (size_t i = 0; i < whole; ++i) Put(other.bytes_[i], 8);
    if (const int rest = static_cast<int>(other.bits_ & 7))
      Put(other.bytes_[whole] >> (8 - rest), rest);
  }
  size_t Bits() const { return bits_; }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  size_t bits_ = 0;
};
