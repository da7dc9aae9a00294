// Arbitrary bytes through the frame header parser (with the whole input as the free-format
// measurement range) and the sync search. Both may read only the bytes they are given.

#include <cstddef>
#include <cstdint>

#include "mp3player/compo/decoder/frame_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto n = static_cast<int32_t>(size > 20000 ? 20000 : size);
  TMPAudioHeader header;
  if (n >= 4) {
    MPParseHeader(data, n, header);
    MPParseHeader(data, 0, header);
  }
  int32_t bitrate = 0;
  int32_t offset = 0;
  MPFindSync(data, n, header, bitrate, offset);
  return 0;
}
