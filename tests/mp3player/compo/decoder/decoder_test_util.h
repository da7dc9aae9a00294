// Helpers of the decoder tests: committed fixture files and whole-file decoding.
#pragma once

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "mp3player/compo/decoder/decoder.h"
#include "tools/difftest/pcm_difference.h"

inline std::vector<uint8_t> ReadFixture(const std::string& name) {
  std::ifstream in(std::string(KORVA_TEST_DATA) + "/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline std::vector<int16_t> AsSamples(const std::vector<uint8_t>& bytes) {
  std::vector<int16_t> samples(bytes.size() / 2);
  for (size_t i = 0; i < samples.size(); ++i) {
    samples[i] = static_cast<int16_t>(bytes[2 * i] | bytes[2 * i + 1] << 8);
  }
  return samples;
}

// Decodes a clean stream (no tags, no garbage) frame by frame from its first sync, a rejected
// frame as silence, with the channel conversion `convert`. Returns the PCM samples; `info`
// receives the output description.
inline std::vector<int16_t> DecodeStream(const std::vector<uint8_t>& file, TMPDecodeInfo* info,
                                         int32_t convert = 0) {
  std::vector<int16_t> out;
  TMPAudioHeader header;
  int32_t bitrate = 0, offset = 0;
  const int32_t first_length =
      MPFindSync(file.data(), static_cast<int32_t>(file.size()), header, bitrate, offset);
  if (first_length <= 0) return out;
  const int32_t free_size = header.bitrate_index == 0 ? first_length : 0;
  if (!MPDecodeInit(header, first_length, 0, 0, convert, 24000)) return out;
  TMPDecodeInfo format;
  MPGetDecodeInfo(format);
  if (info) *info = format;
  const int32_t pcm_bytes = format.values_per_frame * 2;
  std::vector<uint8_t> frame(8192);
  uint8_t pcm[kMPMaxPcmBytes];
  size_t pos = offset;
  while (pos + 4 <= file.size()) {
    int32_t length = MPParseHeader(file.data() + pos, 0, header);
    if (length == 0 && header.bitrate_index == 0) length = free_size;
    if (length <= 0) break;
    length += MPPaddingBytes(header);
    if (pos + length > file.size()) break;
    // The decoder may read a few bytes past a damaged frame's end: give it a padded copy.
    std::fill(frame.begin(), frame.end(), 0);
    std::copy(file.begin() + pos, file.begin() + pos + length, frame.begin());
    const TMPDecodeResult result = MPDecodeFrame(frame.data(), pcm);
    if (result.in_bytes < 1) std::fill(pcm, pcm + pcm_bytes, 0);
    for (int32_t i = 0; i < pcm_bytes / 2; ++i) {
      out.push_back(static_cast<int16_t>(pcm[2 * i] | pcm[2 * i + 1] << 8));
    }
    pos += length;
  }
  return out;
}
