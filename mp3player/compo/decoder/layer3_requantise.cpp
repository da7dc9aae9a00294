// Layer III requantisation: Huffman values times the scale factor and gain factors, with the
// reordering of short blocks into line-major triples.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "mp3player/compo/decoder/layer3.h"
#include "mp3player/compo/decoder/tables_data.h"

namespace {

// Requantises the long bands below `nonzero`; returns the lines done.
int32_t Long(const TMPGranuleInfo& gi, const TMPScaleFactors& sf, float gain, int32_t bands,
             int32_t nonzero, float* out, TMPChannelBands& info) {
  const TMPLayer3Stream& st = MPL3.stream;
  const float* v = MPL3.values;
  const float(*scale)[32] = MPL3Tables.scalefactor[gi.scalefac_scale];
  int32_t line = 0;
  for (int32_t band = 0; band < bands && line < nonzero; ++band) {
    const int32_t pretab = gi.preflag ? kMPPretab[band] : 0;
    const float factor = gain * scale[pretab][sf.l[band] & 31];
    const int32_t end = std::min(st.long_end[band], nonzero);
    bool any = false;
    for (; line < end; ++line) {
      any |= v[line] != 0;
      out[line] = factor * v[line];
    }
    if (any) info.last_long_band = band;
  }
  return line;
}

// Requantises the short bands from `first` into the reorder area as line-major triples and
// copies them over the spectrum; returns the end of the last band done.
int32_t Short(const TMPGranuleInfo& gi, const TMPScaleFactors& sf, float gain, int32_t first,
              int32_t nonzero, float* out, TMPChannelBands& info) {
  const TMPLayer3Stream& st = MPL3.stream;
  const float* v = MPL3.values;
  float* reorder = MPL3.reorder;
  const float* scale = MPL3Tables.scalefactor[gi.scalefac_scale][0];
  const int32_t start = 3 * st.short_start[first];
  int32_t line = start;
  for (int32_t band = first; band < 13 && line < nonzero; ++band) {
    const int32_t width = st.short_width[band];
    for (int32_t w = 0; w < 3; ++w) {
      const float factor =
          gain * MPL3Tables.subblock_gain[gi.subblock_gain[w] & 7] * scale[sf.s[w][band] & 31];
      bool any = false;
      for (int32_t k = 0; k < width; ++k) {
        const int32_t index = line + w * width + k;
        const float x = index < nonzero ? v[index] : 0;
        any |= x != 0;
        reorder[line + 3 * k + w] = factor * x;
      }
      if (any) info.last_short_band[w] = band;
    }
    line += 3 * width;
  }
  std::memcpy(out + start, reorder + start, (line - start) * sizeof(float));
  return line;
}

}  // namespace

int32_t MPLayer3Requantise(const TMPGranuleInfo& gi, int32_t channel, int32_t nonzero, float* out) {
  TMPLayer3State& s = MPL3;
  TMPChannelBands& info = s.bands[channel];
  const TMPScaleFactors& sf = s.scalefactors[channel];
  const bool is_short = gi.block_type == 2;
  const bool mixed = is_short && gi.mixed_block_flag;
  info.block_type = gi.block_type;
  info.mixed = gi.mixed_block_flag != 0;
  info.block_kind = is_short ? 1 : 0;
  info.long_bands = !is_short ? 22 : mixed ? s.stream.mixed_long_bands : 0;
  info.first_short_band = !is_short ? 12 : mixed ? 3 : 0;
  info.last_long_band = -1;
  for (int32_t& b : info.last_short_band) b = -1;

  const float gain = MPL3Tables.global_gain[std::clamp(gi.global_gain + 6, 0, 261)];
  int32_t done = Long(gi, sf, gain, info.long_bands, nonzero, out, info);
  if (is_short && done < nonzero) {
    done = Short(gi, sf, gain, info.first_short_band, nonzero, out, info);
    nonzero = std::max(nonzero, done);
  }
  nonzero = std::min(std::max(nonzero, done), 576);
  info.max_short_band =
      std::max({info.last_short_band[0], info.last_short_band[1], info.last_short_band[2]});
  std::fill(out + std::min(done, nonzero), out + 576, 0.0f);
  return nonzero;
}
