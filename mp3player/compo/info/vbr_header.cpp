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
  const bool info = fits(p, 8) && std::memcmp(frame + p, "Info", 4) == 0;
  if (info || (fits(p, 8) && std::memcmp(frame + p, "Xing", 4) == 0)) {
    vbr.found = true;
    vbr.constant = info;
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

int32_t MPSamplesPerFrame(const TMPAudioHeader& header) {
  if (header.layer_code == 3) return 384;
  // Layer III of MPEG-2 and 2.5 has one granule per frame instead of two.
  return header.layer_code == 1 && header.id == 0 ? 576 : 1152;
}

int64_t MPStreamDurationMs(const TMPAudioHeader& header, const TMPVbrHeader& vbr,
                           int64_t audio_bytes) {
  const int64_t rate = MPSampleRateHz(header.id, header.sync_kind, header.sampling_frequency);
  if (vbr.frames > 0 && rate > 0)
    return int64_t{vbr.frames} * MPSamplesPerFrame(header) * 1000 / rate;
  const int64_t kbps = MPBitrateKbps(header.id, header.layer_code, header.bitrate_index);
  if (kbps <= 0 || audio_bytes <= 0) return 0;
  return audio_bytes * 8 / kbps;
}
