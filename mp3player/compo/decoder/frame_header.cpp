#include "mp3player/compo/decoder/frame_header.h"

#include <algorithm>

namespace {

constexpr int32_t kMaxMeasuredLength = 10000;
constexpr int32_t kLayerI = 3;
constexpr int32_t kLayerII = 2;
constexpr int32_t kLayerIII = 1;

// kbit/s by bitrate_index; index 15 holds 0 so that an invalid header gets no length.
constexpr int32_t kBitrates[5][16] = {
    {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448, 0},  // MPEG-1 L I
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384, 0},     // MPEG-1 L II
    {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0},      // MPEG-1 L III
    {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256, 0},     // MPEG-2 L I
    {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160, 0},          // MPEG-2 L II/III
};

// Sampling frequency / 50 by id and index. MPEG-2.5 uses the MPEG-2 row, twice its real rates;
// the reserved index yields a negative frame length.
constexpr int32_t kFreq50[2][4] = {{441, 480, 320, -999}, {882, 960, 640, -999}};

int32_t Freq50(const TMPAudioHeader& h) { return kFreq50[h.id][h.sampling_frequency]; }

void DecodeFields(const uint8_t* b, TMPAudioHeader& h) {
  h.id = (b[1] >> 3) & 1;
  h.layer_code = (b[1] >> 1) & 3;
  h.protection_bit = b[1] & 1;
  h.bitrate_index = b[2] >> 4;
  h.sampling_frequency = (b[2] >> 2) & 3;
  h.padding_bit = (b[2] >> 1) & 1;
  h.private_bit = b[2] & 1;
  h.mode = b[3] >> 6;
  h.mode_extension = (b[3] >> 4) & 3;
  h.rights_flag = (b[3] >> 3) & 1;
  h.home_flag = (b[3] >> 2) & 1;
  h.emphasis = b[3] & 3;
}

// A frame length that starts at `pos` must leave room for a whole header there.
bool MatchesAt(const uint8_t* b, int32_t length, int32_t pos) {
  return pos + 4 <= length && b[pos] == b[0] && b[pos + 1] == b[1];
}

// Walks the frames of candidate size `size` from the first header on. Succeeds when at least
// one following header is inside the bytes and every one found has the first header's sync
// bytes.
bool VerifyFreeSize(const uint8_t* b, int32_t length, int32_t size, int32_t slot) {
  int32_t pos = 0;
  int32_t counted = 0;
  for (;;) {
    const int32_t padding = ((b[pos + 2] >> 1) & 1) ? slot : 0;
    const int32_t next = pos + size + padding;
    if (next + 4 > length) break;
    if (!MatchesAt(b, length, next)) return false;
    ++counted;
    pos = next;
  }
  return counted > 0;
}

// The size of a free-format frame, found by looking for the next header with the same sync
// bytes and checking that the rest of the bytes follow the same step.
int32_t MeasureFreeFormat(const uint8_t* b, int32_t length, const TMPAudioHeader& h) {
  const int32_t slot = h.layer_code == kLayerI ? 4 : 1;
  int32_t d = 24;
  while (d < 2000) {
    int32_t e = 0;
    for (int32_t i = d; i < length - 3; ++i) {
      if (b[i] == b[0] && b[i + 1] == b[1]) {
        e = i;
        break;
      }
    }
    const int32_t size = e - h.padding_bit;
    if (size <= 0) return 0;
    if (VerifyFreeSize(b, length, size, slot)) return size;
    d = e + 1;
  }
  return 0;
}

int32_t FrameLength(const TMPAudioHeader& h) {
  const int32_t bitrate = MPBitrateKbps(h.id, h.layer_code, h.bitrate_index);
  const int32_t f50 = Freq50(h);
  if (h.layer_code == kLayerI) return (bitrate * 240 / f50) * 4;
  if (h.layer_code == kLayerIII && h.id == 0 && h.sync_kind == 1) return bitrate * 1440 / f50;
  return bitrate * 2880 / f50;
}

// Bits per second of a free-format stream whose frames are `size` bytes long.
int32_t FreeFormatBitrate(const TMPAudioHeader& h, int32_t size) {
  const int64_t f50 = Freq50(h);
  const int64_t s = size;
  int64_t bps = 0;
  if (h.layer_code == kLayerIII && h.id == 1) {
    bps = s * f50 * 1000 / 2880;
  } else if (h.layer_code == kLayerIII) {
    bps = s * f50 * (h.sync_kind == 2 ? 4 : 8) * 125 / 1440;
  } else if (h.layer_code == kLayerII) {
    bps = s * f50 * 1000 / 2880;
  } else {
    bps = s * f50 * 1000 / 960;
  }
  return static_cast<int32_t>(bps);
}

bool IsSync(uint8_t b0, uint8_t b1) { return b0 == 0xFF && b1 >= 0xE0; }

}  // namespace

int32_t MPBitrateKbps(int32_t id, int32_t layer_code, int32_t bitrate_index) {
  if (layer_code < kLayerIII || layer_code > kLayerI || bitrate_index < 0 || bitrate_index > 15) {
    return 0;
  }
  int row = 0;
  if (id == 1) {
    row = kLayerI - layer_code;  // Layer I, II, III of MPEG-1.
  } else {
    row = layer_code == kLayerI ? 3 : 4;
  }
  return kBitrates[row][bitrate_index];
}

int32_t MPSampleRateHz(int32_t id, int32_t sync_kind, int32_t sampling_frequency) {
  if (sampling_frequency < 0 || sampling_frequency > 2) return 0;
  const int32_t hz = kFreq50[id == 1 ? 1 : 0][sampling_frequency] * 50;
  return (id != 1 && sync_kind == 2) ? hz / 2 : hz;
}

int32_t MPPaddingBytes(const TMPAudioHeader& header) {
  if (!header.padding_bit) return 0;
  return header.layer_code == kLayerI ? 4 : 1;
}

int32_t MPParseHeader(const uint8_t* bytes, int32_t length, TMPAudioHeader& header) {
  length = std::min(length, kMaxMeasuredLength);
  header.sync_kind = 0;
  if (bytes[0] != 0xFF || bytes[1] < 0xE0) return 0;
  header.sync_kind = bytes[1] >= 0xF0 ? 1 : 2;
  DecodeFields(bytes, header);
  if (header.layer_code == 0) return 0;
  if (header.bitrate_index == 0) {
    // A reserved sampling frequency makes the header invalid in free format too.
    if (header.sampling_frequency == 3) return 0;
    return MeasureFreeFormat(bytes, length, header);
  }
  return FrameLength(header);
}

int32_t MPFindSync(const uint8_t* bytes, int32_t length, TMPAudioHeader& header, int32_t& bitrate,
                   int32_t& offset) {
  for (int32_t p = 0; p + 4 <= length; ++p) {
    if (!IsSync(bytes[p], bytes[p + 1])) continue;
    offset = p;
    bitrate = 0;
    const int32_t size = MPParseHeader(bytes + p, length - p, header);
    if (size == 0) return 0;
    if (header.bitrate_index != 0) {
      bitrate = MPBitrateKbps(header.id, header.layer_code, header.bitrate_index) * 1000;
    } else {
      bitrate = FreeFormatBitrate(header, size);
    }
    return size;
  }
  return 0;
}
