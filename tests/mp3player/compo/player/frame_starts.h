#pragma once

#include <cstdint>
#include <vector>

#include "mp3player/compo/decoder/frame_header.h"

// Frame starts of a clean stream without tags, found by walking its headers.
inline std::vector<size_t> FrameStarts(const std::vector<uint8_t>& bytes) {
  std::vector<size_t> starts;
  TMPAudioHeader header;
  for (size_t pos = 0; pos + 4 <= bytes.size();) {
    const int32_t length = MPParseHeader(&bytes[pos], 0, header);
    if (length <= 0) break;
    starts.push_back(pos);
    pos += static_cast<size_t>(length + MPPaddingBytes(header));
  }
  return starts;
}
