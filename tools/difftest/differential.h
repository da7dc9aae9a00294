// Differential decoding: a stream through the player's frame loop and through libmpg123, whose
// equalizer silences subband 31 as this decoder never decodes it, so that both work within the
// same bandwidth.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/difftest/pcm_difference.h"

struct TDecodedPcm {
  int channels = 0;
  int rate = 0;
  std::vector<int16_t> samples;  // Interleaved.
};

// Decodes `stream` as the player does. Empty samples when it cannot be opened.
TDecodedPcm DecodeOwn(const std::vector<uint8_t>& stream);

// Decodes `stream` with libmpg123 into `channels` channels at `rate`, without gapless trimming.
TDecodedPcm DecodeReference(const std::vector<uint8_t>& stream, int channels, int rate);

struct TComparison {
  bool same_length = false;
  TPcmDifference difference;
  bool Accurate() const { return same_length && difference.FullAccuracy(); }
  std::string Describe() const;
};

// Decodes `stream` with both decoders and compares them.
TComparison CompareDecoders(const std::vector<uint8_t>& stream);
