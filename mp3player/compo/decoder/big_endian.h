// Eight bytes read as one big-endian number, the form both bit readers take their bits in.
#pragma once

#include <cstdint>

inline uint64_t MPLoadBigEndian64(const uint8_t* p) {
#if defined(__GNUC__) || defined(__clang__)
  uint64_t word;
  __builtin_memcpy(&word, p, 8);
#if __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  word = __builtin_bswap64(word);
#endif
  return word;
#else
  uint64_t word = 0;
  for (int i = 0; i < 8; ++i) word = (word << 8) | p[i];
  return word;
#endif
}
