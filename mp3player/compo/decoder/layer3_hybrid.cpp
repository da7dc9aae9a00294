// Layer III hybrid filterbank: alias reduction, the frequency equalizer, IMDCT with overlap-add,
// frequency inversion, and the channel-transform routines that feed the synthesis.
#include <algorithm>
#include <cstring>

#include "mp3player/compo/decoder/layer3.h"
#include "mp3player/compo/decoder/routines.h"

#ifdef KORVA_SSE2
#include <emmintrin.h>
#endif

void MPImdct36Finish(const float* z, float* lines, const float* overlap, float* out,
                     int32_t window_type) {
  // The 36 outputs are y[0..8] = z[9..17], y[9..26] = z[17..0], y[27..35] = z[0..8], their signs
  // being in the window; the first half is overlapped, the second becomes the new overlap.
  const float* window = MPL3Tables.imdct_window[window_type];
  for (int32_t i = 0; i < 9; ++i) out[i] = window[i] * z[i + 9] + overlap[i];
  for (int32_t i = 9; i < 18; ++i) out[i] = window[i] * z[26 - i] + overlap[i];
  for (int32_t i = 0; i < 9; ++i) lines[i] = window[18 + i] * z[8 - i];
  for (int32_t i = 9; i < 18; ++i) lines[i] = window[18 + i] * z[i - 9];
}

namespace {

// The three short windows: each 12-point IMDCT (a 6-point DCT-IV, arranged like the long one)
// is windowed and added in at 6 + 6w of the 36 values.
template <typename Dct6>
void Imdct12With(float* lines, const float* overlap, float* out, Dct6 dct) {
  const float* window = MPL3Tables.imdct_window[2];
  float sum[36] = {};
  for (int32_t w = 0; w < 3; ++w) {
    float z[8];
    dct(lines + w, z);
    float* at = sum + 6 + 6 * w;
    for (int32_t i = 0; i < 12; ++i) {
      const float y = i < 3 ? z[i + 3] : i < 9 ? z[8 - i] : z[i - 9];
      at[i] += window[i] * y;
    }
  }
  for (int32_t i = 0; i < 18; ++i) out[i] = overlap[i] + sum[i];
  for (int32_t i = 0; i < 18; ++i) lines[i] = sum[18 + i];
}

// DCT-IV of the 6 values of one short window (every third line).
void Dct6Generic(const float* x, float* z) {
  for (int32_t n = 0; n < 6; ++n) {
    float s = 0;
    for (int32_t k = 0; k < 6; ++k) s += x[3 * k] * MPL3Tables.cos12[k][n];
    z[n] = s;
  }
}

void Dct6Fast(const float* x, float* z) {
#ifdef KORVA_SSE2
  __m128 lo = _mm_setzero_ps(), hi = _mm_setzero_ps();
  for (int32_t k = 0; k < 6; ++k) {
    const __m128 v = _mm_set1_ps(x[3 * k]);
    lo = _mm_add_ps(lo, _mm_mul_ps(v, _mm_loadu_ps(MPL3Tables.cos12[k])));
    hi = _mm_add_ps(hi, _mm_mul_ps(v, _mm_loadu_ps(MPL3Tables.cos12[k] + 4)));
  }
  _mm_storeu_ps(z, lo);
  _mm_storeu_ps(z + 4, hi);
#else
  Dct6Generic(x, z);
#endif
}

template <TMPImdctRoutine kLong, TMPImdctRoutine kShort>
int32_t HybridWith(float* current, const float* previous, float* out, int32_t block_type,
                   int32_t long_lines, int32_t lines, int32_t previous_lines, int32_t subbands) {
  const int32_t long_end = (long_lines + 17) / 18;
  const int32_t short_end = (lines + 17) / 18;
  const int32_t overlap_end = (previous_lines + 17) / 18;
  const int32_t type = block_type & 3;
  // The window of the long subbands: the long part of a mixed short block takes the normal
  // window.
  const int32_t window = type == 2 ? 0 : type;
  // A set mixed flag gives the two lowest subbands the normal window, whatever the block type.
  const int32_t low_window = (block_type & kMPMixedBlock) ? 0 : window;
  int32_t sb = 0;
  for (; sb < long_end; ++sb) {
    kLong(current + 18 * sb, previous + 18 * sb, out + 18 * sb, sb < 2 ? low_window : window);
  }
  for (; sb < short_end; ++sb) kShort(current + 18 * sb, previous + 18 * sb, out + 18 * sb, 2);
  // Silent subbands: the previous overlap still sounds; the new overlap is already 0.
  std::memcpy(out + 18 * sb, previous + 18 * sb,
              18 * std::max(overlap_end - sb, 0) * sizeof(float));
  sb = std::max(sb, overlap_end);
  std::fill(out + 18 * sb, out + 18 * std::max(subbands, sb), 0.0f);
  return 18 * sb;
}

// Odd time slots of odd subbands change sign.
void InvertFrequencies(float* out, int32_t lines) {
  const int32_t subbands = 2 * ((lines + 17) / 36);
  for (int32_t sb = 1; sb < subbands; sb += 2) {
    for (int32_t t = 1; t < 18; t += 2) out[18 * sb + t] = -out[18 * sb + t];
  }
}

// Runs the hybrid filter of one channel into `out`; returns the lines now in `out`.
int32_t ChannelHybrid(int32_t channel, int32_t slot, float* out, TMPHybridRoutine hybrid) {
  TMPLayer3State& s = MPL3;
  const TMPChannelBands& b = s.bands[channel];
  const int32_t lines = std::min(s.nonzero[channel][slot], s.stream.band_lines);
  const int32_t long_lines = b.block_type != 2 ? lines : b.mixed ? 36 : 0;
  const int32_t windows = b.block_type | (b.mixed ? kMPMixedBlock : 0);
  const int32_t done =
      hybrid(s.spectrum[channel][slot], s.spectrum[channel][slot ^ 1], out, windows, long_lines,
             lines, s.nonzero[channel][slot ^ 1], s.stream.subbands);
  s.nonzero[channel][slot] = done;
  return done;
}

void SingleChannel(int32_t channel, int32_t slot, int16_t* pcm) {
  float* out = MPL3.hybrid;
  InvertFrequencies(out, ChannelHybrid(channel, slot, out, MPRoutines.hybrid));
  MPSynthLayer3Mono(out, pcm);
}

void TransformLeft(int32_t slot, int16_t* pcm) { SingleChannel(0, slot, pcm); }
void TransformRight(int32_t slot, int16_t* pcm) { SingleChannel(1, slot, pcm); }

void TransformStereo(int32_t slot, int16_t* pcm) {
  float* out = MPL3.hybrid;
  for (int32_t ch = 0; ch < 2; ++ch) {
    InvertFrequencies(out, ChannelHybrid(ch, slot, out, MPRoutines.hybrid));
    MPSynthLayer3Stereo(out, ch, pcm);
  }
}

// A single-channel frame of a stereo output sounds in both channels.
void TransformMonoToBoth(int32_t slot, int16_t* pcm) {
  TMPLayer3State& s = MPL3;
  float* out = s.hybrid;
  InvertFrequencies(out, ChannelHybrid(0, slot, out, MPRoutines.hybrid));
  MPSynthLayer3Stereo(out, 0, pcm);
  MPSynthLayer3Stereo(out, 1, pcm);
}

// Both channels (each at half gain through the global gain offset) summed before the synthesis.
// The second channel goes through the IMDCT slots.
int32_t HybridBySlots(float* current, const float* previous, float* out, int32_t block_type,
                      int32_t long_lines, int32_t lines, int32_t previous_lines, int32_t subbands);

void TransformMix(int32_t slot, int16_t* pcm) {
  TMPLayer3State& s = MPL3;
  const int32_t left = ChannelHybrid(0, slot, s.hybrid, MPRoutines.hybrid);
  const int32_t right = ChannelHybrid(1, slot, s.hybrid2, HybridBySlots);
  for (int32_t i = 0; i < 18 * 32; ++i) s.hybrid[i] += s.hybrid2[i];
  // The mixed channel's history lives in the first channel's overlap, so that single-channel
  // frames of the stream continue it.
  float* overlap = s.spectrum[0][slot];
  float* right_overlap = s.spectrum[1][slot];
  for (int32_t i = 0; i < right; ++i) overlap[i] += right_overlap[i];
  std::fill(right_overlap, right_overlap + right, 0.0f);
  s.nonzero[0][slot] = std::max(left, right);
  s.nonzero[1][slot] = 0;
  InvertFrequencies(s.hybrid, std::max(left, right));
  MPSynthLayer3Mono(s.hybrid, pcm);
}

void ImdctBySlot36(float* lines, const float* overlap, float* out, int32_t window) {
  MPRoutines.imdct36(lines, overlap, out, window);
}

void ImdctBySlot12(float* lines, const float* overlap, float* out, int32_t window) {
  MPRoutines.imdct12(lines, overlap, out, window);
}

int32_t HybridBySlots(float* current, const float* previous, float* out, int32_t block_type,
                      int32_t long_lines, int32_t lines, int32_t previous_lines, int32_t subbands) {
  return HybridWith<ImdctBySlot36, ImdctBySlot12>(current, previous, out, block_type, long_lines,
                                                  lines, previous_lines, subbands);
}

void Butterflies(float* lines, int32_t boundary) {
  const float* cs = MPL3Tables.alias_cs;
  const float* ca = MPL3Tables.alias_ca;
  float* below = lines + 18 * boundary - 1;
  float* above = lines + 18 * boundary;
  for (int32_t j = 0; j < 8; ++j) {
    const float a = below[-j], b = above[j];
    below[-j] = a * cs[j] - b * ca[j];
    above[j] = b * cs[j] + a * ca[j];
  }
}

}  // namespace

void MPAliasGeneric(float* lines, int32_t boundaries) {
  for (int32_t k = 1; k <= boundaries; ++k) Butterflies(lines, k);
}

void MPAliasFast(float* lines, int32_t boundaries) {
#ifdef KORVA_SSE2
  const __m128 cs0 = _mm_loadu_ps(MPL3Tables.alias_cs), cs1 = _mm_loadu_ps(MPL3Tables.alias_cs + 4);
  const __m128 ca0 = _mm_loadu_ps(MPL3Tables.alias_ca), ca1 = _mm_loadu_ps(MPL3Tables.alias_ca + 4);
  for (int32_t k = 1; k <= boundaries; ++k) {
    float* above = lines + 18 * k;
    float* below = above - 8;  // below[7 - j] pairs with above[j].
    for (int32_t half = 0; half < 2; ++half) {
      const __m128 cs = half ? cs1 : cs0, ca = half ? ca1 : ca0;
      float* b_at = above + 4 * half;
      float* a_at = below + 4 - 4 * half;
      __m128 a = _mm_loadu_ps(a_at);
      a = _mm_shuffle_ps(a, a, _MM_SHUFFLE(0, 1, 2, 3));
      const __m128 b = _mm_loadu_ps(b_at);
      __m128 new_a = _mm_sub_ps(_mm_mul_ps(a, cs), _mm_mul_ps(b, ca));
      const __m128 new_b = _mm_add_ps(_mm_mul_ps(b, cs), _mm_mul_ps(a, ca));
      new_a = _mm_shuffle_ps(new_a, new_a, _MM_SHUFFLE(0, 1, 2, 3));
      _mm_storeu_ps(a_at, new_a);
      _mm_storeu_ps(b_at, new_b);
    }
  }
#else
  MPAliasGeneric(lines, boundaries);
#endif
}

void MPImdct36Generic(float* lines, const float* overlap, float* out, int32_t window) {
  float z[18];
  for (int32_t n = 0; n < 18; ++n) {
    float s = 0;
    for (int32_t k = 0; k < 18; ++k) s += lines[k] * MPL3Tables.cos36[k][n];
    z[n] = s;
  }
  MPImdct36Finish(z, lines, overlap, out, window);
}

void MPImdct36Fast(float* lines, const float* overlap, float* out, int32_t window) {
#ifdef KORVA_SSE2
  __m128 acc[5];
  for (auto& a : acc) a = _mm_setzero_ps();
  for (int32_t k = 0; k < 18; ++k) {
    const __m128 v = _mm_set1_ps(lines[k]);
    const float* row = MPL3Tables.cos36[k];
    for (int32_t b = 0; b < 5; ++b)
      acc[b] = _mm_add_ps(acc[b], _mm_mul_ps(v, _mm_loadu_ps(row + 4 * b)));
  }
  alignas(16) float z[20];
  for (int32_t b = 0; b < 5; ++b) _mm_store_ps(z + 4 * b, acc[b]);
  MPImdct36Finish(z, lines, overlap, out, window);
#else
  MPImdct36Generic(lines, overlap, out, window);
#endif
}

void MPImdct12Generic(float* lines, const float* overlap, float* out, int32_t) {
  Imdct12With(lines, overlap, out, Dct6Generic);
}

void MPImdct12Fast(float* lines, const float* overlap, float* out, int32_t) {
  Imdct12With(lines, overlap, out, Dct6Fast);
}

int32_t MPHybridGeneric(float* current, const float* previous, float* out, int32_t block_type,
                        int32_t long_lines, int32_t lines, int32_t previous_lines,
                        int32_t subbands) {
  return HybridWith<MPImdct36Generic, MPImdct12Generic>(
      current, previous, out, block_type, long_lines, lines, previous_lines, subbands);
}

int32_t MPHybridFast(float* current, const float* previous, float* out, int32_t block_type,
                     int32_t long_lines, int32_t lines, int32_t previous_lines, int32_t subbands) {
  return HybridWith<MPImdct36Fast, MPImdct12Fast>(current, previous, out, block_type, long_lines,
                                                  lines, previous_lines, subbands);
}

int32_t MPHybridAvx2(float* current, const float* previous, float* out, int32_t block_type,
                     int32_t long_lines, int32_t lines, int32_t previous_lines, int32_t subbands) {
  return HybridWith<MPImdct36Avx2, MPImdct12Fast>(current, previous, out, block_type, long_lines,
                                                  lines, previous_lines, subbands);
}

void MPLayer3AliasAndEq(int32_t slot, int32_t channels) {
  TMPLayer3State& s = MPL3;
  for (int32_t ch = 0; ch < channels; ++ch) {
    const TMPChannelBands& b = s.bands[ch];
    float* lines = s.spectrum[ch][slot];
    int32_t& nonzero = s.nonzero[ch][slot];
    if (b.long_bands > 0) {
      // Start and stop blocks are reduced as long blocks, whatever their mixed flag says.
      const bool short_part = b.mixed && b.block_type == 2;
      const int32_t boundaries = short_part ? 1 : std::min((nonzero + 7) / 18, 31);
      if (boundaries > 0) {
        MPRoutines.alias(lines, boundaries);
        nonzero = std::max(nonzero, 18 * boundaries + 8);
      }
    }
    if (MPState.freq_eq_on) {
      for (int32_t i = 0; i < nonzero; ++i) lines[i] *= MPState.freq_gain[i];
    }
  }
}

void MPLayer3SetFrameChannels(int32_t frame_channels) {
  TMPLayer3State& s = MPL3;
  s.frame_channels = frame_channels;
  s.stream.gain_offset = 0;
  if (frame_channels == 1) {
    s.transform = MPState.channels == 2 ? TransformMonoToBoth : TransformLeft;
    return;
  }
  // A two-channel frame in a single-channel stream is mixed as if mixing had been asked for.
  switch (MPState.channels == 2 ? 0 : std::max(MPState.convert & 3, 1)) {
    case 1:
      s.transform = TransformMix;
      s.stream.gain_offset = -4;  // Each channel at half gain.
      break;
    case 2:
      s.transform = TransformLeft;
      break;
    case 3:
      s.transform = TransformRight;
      break;
    default:
      s.transform = TransformStereo;
  }
}
