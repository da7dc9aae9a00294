#include "mp3player/compo/info/vbr_header.h"

#include <cstring>

namespace {

uint32_t BigEndian(const uint8_t* bytes) {
  return uint32_t{bytes[0]} << 24 | uint32_t{bytes[1]} << 16 | uint32_t{bytes[2]} << 8 |
         uint32_t{bytes[3]};
}

// Where a Xing or VBRI header starts: behind the frame header, its CRC and the side information.
int32_t VbrHeaderOffset(const TMPAudioHeader& header) {
  const bool mono = header.mode == 3;
  const int32_t side = header.id == 1 ? (mono ? 21 : 36) : (mono ? 13 : 21);
  return (header.protection_bit == 0 ? 2 : 0) + side;
}

// A positive 32-bit size, or 0 for none.
int32_t PositiveSize(uint32_t value) {
  return value > 0 && value <= 0x7FFFFFFF ? static_cast<int32_t>(value) : 0;
}

}  // namespace

TMPVbrHeader MPReadVbrHeader(const uint8_t* frame, int32_t size, const TMPAudioHeader& header) {
  TMPVbrHeader vbr;
  int32_t p = VbrHeaderOffset(header);
  const auto fits = [&](int32_t at, int32_t n) { return at >= 0 && at + n <= size; };
  if (fits(p, 8) && std::memcmp(frame + p, "Xing", 4) == 0) {
    vbr.found = true;
    const uint32_t flags = BigEndian(frame + p + 4);
    p += 8;
    if (flags & 1) {
      if (!fits(p, 4)) return vbr;
      vbr.frames = BigEndian(frame + p);
      p += 4;
    }
    if ((flags & 2) && fits(p, 4)) vbr.bytes = PositiveSize(BigEndian(frame + p));
  } else if (fits(p, 18) && std::memcmp(frame + p, "VBRI", 4) == 0) {
    vbr.found = true;
    vbr.bytes = PositiveSize(BigEndian(frame + p + 10));
    vbr.frames = BigEndian(frame + p + 14);
  }
  return vbr;
}
