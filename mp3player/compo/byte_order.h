#pragma once

#include <cstdint>
#include <string_view>

// Signed 32-bit numbers stored in tag and container headers.
inline int32_t BigEndian32(std::string_view bytes, size_t at) {
  const auto b = [&](size_t i) {
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i]));
  };
  return static_cast<int32_t>(b(0) << 24 | b(1) << 16 | b(2) << 8 | b(3));
}

inline int32_t LittleEndian32(std::string_view bytes, size_t at) {
  const auto b = [&](size_t i) {
    return static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + i]));
  };
  return static_cast<int32_t>(b(3) << 24 | b(2) << 16 | b(1) << 8 | b(0));
}
