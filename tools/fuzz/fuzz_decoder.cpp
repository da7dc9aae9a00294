// libFuzzer target: arbitrary frames through MPDecodeFrame after MPDecodeInit. The input is a
// stream: its first sync within 4096 bytes prepares the decoder, and the frames from there on are
// cut at the lengths their headers give, each in a zero-padded buffer as the player's reader
// would hold it. The last byte chooses the routine forms, the reduction, the channel conversion
// and the equalizers.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "mp3player/compo/decoder/decoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 8) return 0;
  const uint8_t options = data[size - 1];
  const int32_t all = static_cast<int32_t>(std::min<size_t>(size - 1, 1 << 20));

  TMPAudioHeader header;
  int32_t bitrate = 0, offset = 0;
  int32_t frame_bytes = MPFindSync(data, std::min(all, 4096), header, bitrate, offset);
  if (header.sync_kind == 0) return 0;
  const uint8_t* stream = data + offset;
  const int32_t length = all - offset;
  if (length < 4) return 0;
  if (frame_bytes <= 0) frame_bytes = 1 + stream[3] * 8;  // An arbitrary free-format length.

  MPSelectCpuRoutines((options & 1) ? MPDetectCpu() : 0);
  const int32_t reduction = (options >> 1) & 3;
  const int32_t convert = ((options >> 3) & 3) | ((options & 0x20) ? 8 : 0);
  *MPFreqEqEnabled() = options & 0x40;
  *MPSubbandEqEnabled() = options & 0x80;
  for (int32_t i = 0; i < 576; ++i) *MPFreqGain(i) = 0.5f;
  for (int32_t i = 0; i < 32; ++i) *MPSubbandGain(i) = 2.0f;
  if (!MPDecodeInit(header, frame_bytes, reduction, 0, convert, 24000)) return 0;

  // Large enough for any Layer III frame the decoder may measure from a header, plus slack.
  std::vector<uint8_t> frame(frame_bytes + 4096);
  std::vector<uint8_t> pcm(kMPMaxPcmBytes);
  int32_t pos = 0;
  while (pos + 4 <= length) {
    TMPAudioHeader h;
    int32_t size_here = MPParseHeader(stream + pos, 0, h);
    if (size_here == 0 && h.sync_kind != 0 && h.bitrate_index == 0) size_here = frame_bytes;
    if (size_here <= 0) {
      ++pos;
      continue;
    }
    size_here += MPPaddingBytes(h);
    const int32_t copy = std::min(size_here, length - pos);
    std::fill(frame.begin(), frame.end(), 0);
    std::memcpy(frame.data(), stream + pos, copy);
    const TMPDecodeResult result = MPDecodeFrame(frame.data(), pcm.data());
    if (result.out_bytes < 0 || result.out_bytes > kMPMaxPcmBytes) __builtin_trap();
    pos += size_here;
  }
  MPSetInvertPolarity(0);
  return 0;
}
