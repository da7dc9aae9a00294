// Layer III joint stereo: M/S (with the 1/sqrt(2) folded into the global gain) and intensity
// stereo of MPEG-1 and MPEG-2.
#include <algorithm>

#include "mp3player/compo/decoder/layer3.h"

namespace {

// The (left, right) factors of an intensity position. An illegal position leaves the band as
// it is: the left value stays, the right one is 0 (M/S: both carry the middle value).
const float* Factors(int32_t is_pos, int32_t illegal, bool ms) {
  static constexpr float kIllegal[2][2] = {{1, 0}, {1, 1}};
  const TMPLayer3State& s = MPL3;
  if (!s.lsf_scalefactors) return MPL3Tables.intensity1[ms][std::min(is_pos, 7)];
  if (is_pos >= illegal) return kIllegal[ms];
  return MPL3Tables.intensity2[s.intensity.intensity_scale][ms][is_pos & 63];
}

void Apply(float* left, float* right, int32_t line, const float* k) {
  const float value = left[line];
  left[line] = value * k[0];
  right[line] = value * k[1];
}

// Long bands from `first` to the last one; the last band has no scale factor of its own and
// takes the position of the band before it.
void LongBands(float* left, float* right, int32_t first, int32_t end, bool ms) {
  const TMPLayer3State& s = MPL3;
  const int32_t* positions = s.scalefactors[1].l;
  for (int32_t band = first; band < end; ++band) {
    const int32_t source = std::min(band, 20);
    const float* k = Factors(positions[source], s.intensity.long_illegal[source], ms);
    for (int32_t line = s.stream.long_start[band]; line < s.stream.long_end[band]; ++line) {
      Apply(left, right, line, k);
    }
  }
}

// Short bands of window `w` from `first` to band 12 (which takes band 11's position), in the
// reordered line-major layout.
void ShortBands(float* left, float* right, int32_t w, int32_t first, bool ms) {
  const TMPLayer3State& s = MPL3;
  for (int32_t band = first; band < 13; ++band) {
    const int32_t source = std::min(band, 11);
    const float* k = Factors(s.scalefactors[1].s[w][source], s.intensity.short_illegal[source], ms);
    const int32_t base = 3 * s.stream.short_start[band];
    for (int32_t i = 0; i < s.stream.short_width[band]; ++i)
      Apply(left, right, base + 3 * i + w, k);
  }
}

void Intensity(float* left, float* right, bool ms) {
  const TMPChannelBands& rb = MPL3.bands[1];
  if (rb.block_kind == 0) {
    LongBands(left, right, rb.last_long_band + 1, 22, ms);
    return;
  }
  for (int32_t w = 0; w < 3; ++w) {
    ShortBands(left, right, w, std::max(rb.last_short_band[w] + 1, rb.first_short_band), ms);
  }
  // A mixed block whose short part is silent in the right channel: the region starts in the
  // long part.
  if (rb.mixed && rb.max_short_band < 0) {
    LongBands(left, right, rb.last_long_band + 1, rb.long_bands, ms);
  }
}

}  // namespace

void MPLayer3Stereo(int32_t slot) {
  TMPLayer3State& s = MPL3;
  if (s.mode_extension == 0) return;
  float* left = s.spectrum[0][slot];
  float* right = s.spectrum[1][slot];
  const int32_t lines = std::max(s.nonzero[0][slot], s.nonzero[1][slot]);
  const bool ms = s.mode_extension & 2;
  if (ms) {
    // In the intensity region the right channel is 0, so this leaves the left value in both
    // channels there, which the intensity step then replaces.
    for (int32_t i = 0; i < lines; ++i) {
      const float a = left[i], b = right[i];
      left[i] = a + b;
      right[i] = a - b;
    }
  }
  if (s.mode_extension & 1) Intensity(left, right, ms);
  s.nonzero[0][slot] = s.nonzero[1][slot] = lines;
}
