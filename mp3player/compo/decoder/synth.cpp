// The polyphase synthesis filterbank: DCT-32 of each slot of subband samples into a ring of
// the last 16 outputs, windowing of the ring into 32 PCM samples, rounding and clipping.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>

#include "mp3player/compo/decoder/decoder_state.h"
#include "mp3player/compo/decoder/routines.h"
#include "mp3player/compo/decoder/synth_dct.h"
#include "mp3player/compo/decoder/tables_data.h"

#ifdef KORVA_SSE2
#include <emmintrin.h>
#include <xmmintrin.h>
#endif

namespace {

// The split coefficients of the DCT: constant, so built once before the program starts.
struct DctCoefficients {
  float c[31];
  DctCoefficients() {
    int32_t offset = 0;
    for (int32_t n = 16; n >= 1; n /= 2) {
      for (int32_t j = 0; j < n; ++j) {
        c[offset + j] =
            static_cast<float>(0.5 / std::cos((2 * j + 1) * std::numbers::pi / (4.0 * n)));
      }
      offset += n;
    }
  }
};
const DctCoefficients dct_coefficients;

float SplatFloat(float c) { return c; }
float LoadFloat(const float* p) { return *p; }
void StoreFloat(const float* y, float* out) {
  for (int32_t k = 0; k < 32; ++k) out[k] = y[k];
}

int16_t Clip(double s) {
  if (s >= 32767.0) return 32767;
  if (s > -32768.0) return static_cast<int16_t>(std::lrint(s));
  return -32768;
}

// Output sample j of a slot, following the window table's layout: rows 0..15 hold the taps of
// samples 0..15, row 16 (8 taps) sample 16, and samples 17..31 read rows 15..1 backwards.
template <int Step>
void WindowGeneric(const float* v, int32_t p, int16_t* out) {
  const float* w = MPSynthWindowTable;
  for (int32_t j = 0; j < 16; ++j) {
    double s = 0;
    for (int32_t m = 0; m < 8; ++m) {
      s += static_cast<double>(w[16 * j + 2 * m]) * v[(p + 16 + j + 64 * m) & 511];
      s -= static_cast<double>(w[16 * j + 2 * m + 1]) * v[(p + 48 - j + 64 * m) & 511];
    }
    out[j * Step] = Clip(s);
  }
  double s = 0;
  for (int32_t m = 0; m < 8; ++m) s += static_cast<double>(w[256 + m]) * v[(p + 32 + 64 * m) & 511];
  out[16 * Step] = Clip(s);
  for (int32_t j = 17; j < 32; ++j) {
    const int32_t r = 16 * (j - 17);
    s = 0;
    for (int32_t m = 0; m < 8; ++m) {
      s += static_cast<double>(w[255 - r - 2 * m]) * v[(p + 48 - j + 64 * m) & 511];
      s += static_cast<double>(w[254 - r - 2 * m]) * v[(p + 16 + j + 64 * m) & 511];
    }
    out[j * Step] = Clip(s);
  }
}

// The window rearranged for the vectorised form: output j = sum over m of
// forward[m][j] * v[c1 + j] + backward[m][j] * v[c2 - j], with c1 = p + 16 + 64m and
// c2 = p + 48 + 64m.

void BuildFastWindow() {
  const float* w = MPSynthWindowTable;
  for (int32_t m = 0; m < 8; ++m) {
    for (int32_t j = 0; j < 16; ++j) {
      MPSynthForwardWindow[m][j] = w[16 * j + 2 * m];
      MPSynthBackwardWindow[m][j] = -w[16 * j + 2 * m + 1];
    }
    MPSynthForwardWindow[m][16] = w[256 + m];
    MPSynthBackwardWindow[m][16] = 0;
    for (int32_t j = 17; j < 32; ++j) {
      const int32_t r = 16 * (j - 17);
      MPSynthForwardWindow[m][j] = w[254 - r - 2 * m];
      MPSynthBackwardWindow[m][j] = w[255 - r - 2 * m];
    }
  }
}

bool fast_window_built = false;

// Sums of one slot in single precision, four outputs per step.
void WindowSums(const float* v, int32_t p, float* sums) {
#ifdef KORVA_SSE2
  __m128 acc[8];
  for (auto& a : acc) a = _mm_setzero_ps();
  for (int32_t m = 0; m < 8; ++m) {
    const float* forward = v + ((p + 16 + 64 * m) & 511);
    int32_t c2 = (p + 48 + 64 * m) & 511;
    if (c2 < 32) c2 += 512;
    const float* backward = v + c2 - 3;
    KORVA_UNROLL
    for (int32_t b = 0; b < 8; ++b) {
      const __m128 f = _mm_loadu_ps(forward + 4 * b);
      __m128 r = _mm_loadu_ps(backward - 4 * b);
      r = _mm_shuffle_ps(r, r, _MM_SHUFFLE(0, 1, 2, 3));
      acc[b] = _mm_add_ps(acc[b], _mm_mul_ps(f, _mm_load_ps(&MPSynthForwardWindow[m][4 * b])));
      acc[b] = _mm_add_ps(acc[b], _mm_mul_ps(r, _mm_load_ps(&MPSynthBackwardWindow[m][4 * b])));
    }
  }
  for (int32_t b = 0; b < 8; ++b) _mm_storeu_ps(sums + 4 * b, acc[b]);
#else
  for (int32_t j = 0; j < 32; ++j) sums[j] = 0;
  for (int32_t m = 0; m < 8; ++m) {
    const float* forward = v + ((p + 16 + 64 * m) & 511);
    int32_t c2 = (p + 48 + 64 * m) & 511;
    if (c2 < 32) c2 += 512;
    const float* backward = v + c2;
    for (int32_t j = 0; j < 32; ++j) {
      sums[j] +=
          forward[j] * MPSynthForwardWindow[m][j] + backward[-j] * MPSynthBackwardWindow[m][j];
    }
  }
#endif
}

#ifdef KORVA_SSE2
// Four slots side by side: lane i holds slot t + i.
struct Lanes4 {
  __m128 v;
};
KORVA_INLINE Lanes4 operator+(Lanes4 a, Lanes4 b) { return {_mm_add_ps(a.v, b.v)}; }
KORVA_INLINE Lanes4 operator-(Lanes4 a, Lanes4 b) { return {_mm_sub_ps(a.v, b.v)}; }
KORVA_INLINE Lanes4 operator*(Lanes4 a, Lanes4 b) { return {_mm_mul_ps(a.v, b.v)}; }
Lanes4 Splat4(float c) { return {_mm_set1_ps(c)}; }
Lanes4 Load4(const float* p) { return {_mm_loadu_ps(p)}; }

// Back from lanes to slots: 4 x 4 blocks turn.
void Store4(const Lanes4* y, float* out) {
  for (int32_t k = 0; k < 32; k += 4) {
    __m128 r0 = y[k].v, r1 = y[k + 1].v, r2 = y[k + 2].v, r3 = y[k + 3].v;
    _MM_TRANSPOSE4_PS(r0, r1, r2, r3);
    _mm_storeu_ps(out + k, r0);
    _mm_storeu_ps(out + 32 + k, r1);
    _mm_storeu_ps(out + 64 + k, r2);
    _mm_storeu_ps(out + 96 + k, r3);
  }
}
#endif

}  // namespace

const float* const MPSynthDctCoefficients = dct_coefficients.c;

alignas(32) float MPSynthForwardWindow[8][32];
alignas(32) float MPSynthBackwardWindow[8][32];

void MPSynthConvertSums(const float* sums, int16_t* out) {
#ifdef KORVA_SSE2
  for (int32_t b = 0; b < 4; ++b) {
    const __m128i lo = _mm_cvtps_epi32(_mm_loadu_ps(sums + 8 * b));
    const __m128i hi = _mm_cvtps_epi32(_mm_loadu_ps(sums + 8 * b + 4));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8 * b), _mm_packs_epi32(lo, hi));
  }
#else
  for (int32_t j = 0; j < 32; ++j) out[j] = Clip(sums[j]);
#endif
}

TMPDecoderState MPState;
TMPRoutines MPRoutines;

void MPSynthReset() {
  if (!fast_window_built) {
    BuildFastWindow();
    fast_window_built = true;
  }
  std::memset(MPState.synth.ring, 0, sizeof MPState.synth.ring);
  MPState.synth.pos[0] = MPState.synth.pos[1] = 0;
}

void MPSynthDctGeneric(const float* in, int32_t subband_step, int32_t slots, const float* gains,
                       float* out) {
  MPDctSlots<float, SplatFloat, LoadFloat, StoreFloat, 1>(in, subband_step, slots, gains,
                                                          MPSynthDctCoefficients, out);
}

void MPSynthDctSse2(const float* in, int32_t subband_step, int32_t slots, const float* gains,
                    float* out) {
#ifdef KORVA_SSE2
  MPDctSlots<Lanes4, Splat4, Load4, Store4, 4>(in, subband_step, slots, gains,
                                               MPSynthDctCoefficients, out);
#else
  MPSynthDctGeneric(in, subband_step, slots, gains, out);
#endif
}

int32_t MPSynthSlots(const float* in, int32_t subband_step, int32_t slots, bool equalize,
                     float* ring, int32_t pos, TMPWindowRoutine window, int16_t* pcm,
                     int32_t pcm_step) {
  // Chunks of whole batches, enough for a Layer II frame in one.
  constexpr int32_t kChunk = 5 * kMPSynthSlotPadding;
  // The player may change the gains while this runs: the vector forms read a plain copy.
  alignas(32) float gain_copy[32];
  const float* gains = nullptr;
  if (equalize && MPState.subband_eq_on) {
    for (int32_t sb = 0; sb < 32; ++sb) gain_copy[sb] = MPState.subband_gain[sb];
    gains = gain_copy;
  }
  alignas(32) float dct[kChunk * 32];
  for (int32_t first = 0; first < slots; first += kChunk) {
    const int32_t count = std::min(slots - first, kChunk);
    MPRoutines.dct(in + first, subband_step, count, gains, dct);
    for (int32_t t = 0; t < count; ++t) {
      std::memcpy(ring + pos, dct + 32 * t, 32 * sizeof(float));
      if (pos == 0) std::memcpy(ring + 512, ring, 32 * sizeof(float));
      window(ring, pos, pcm + (first + t) * pcm_step);
      pos = (pos - 32) & 511;
    }
  }
  return pos;
}

void MPSynthLayer3Mono(const float* hybrid, int16_t* pcm) {
  TMPSynthState& synth = MPState.synth;
  synth.pos[0] = MPSynthSlots(hybrid, 18, 18, true, synth.ring[0], synth.pos[0],
                              MPRoutines.window_mono, pcm, 32);
}

void MPSynthLayer3Stereo(const float* hybrid, int32_t channel, int16_t* pcm) {
  TMPSynthState& synth = MPState.synth;
  synth.pos[channel] = MPSynthSlots(hybrid, 18, 18, true, synth.ring[channel], synth.pos[channel],
                                    MPRoutines.window_stereo, pcm + channel, 64);
}

void MPWindowMonoGeneric(const float* ring, int32_t pos, int16_t* out) {
  WindowGeneric<1>(ring, pos, out);
}

void MPWindowStereoGeneric(const float* ring, int32_t pos, int16_t* out) {
  WindowGeneric<2>(ring, pos, out);
}

void MPWindowMonoFast(const float* ring, int32_t pos, int16_t* out) {
  MPWindowFrom<WindowSums, false>(ring, pos, out);
}

void MPWindowStereoFast(const float* ring, int32_t pos, int16_t* out) {
  MPWindowFrom<WindowSums, true>(ring, pos, out);
}

void MPSynthStoreStereo(const float* sums, int16_t* out) {
#ifdef KORVA_SSE2
  // Four samples at a time into the low halves of four 32-bit pairs, the other channel's samples
  // in the high halves kept. The last four go one by one: a pair-wide store there would touch the
  // sample after this channel's last one, which lies past the buffer for the right channel.
  const __m128i other = _mm_set1_epi32(static_cast<int32_t>(0xFFFF0000u));
  for (int32_t j = 0; j < 32; j += 4) {
    const __m128i packed = _mm_cvtps_epi32(_mm_loadu_ps(sums + j));
    const __m128i mine = _mm_unpacklo_epi16(_mm_packs_epi32(packed, packed), _mm_setzero_si128());
    if (j < 28) {
      __m128i* at = reinterpret_cast<__m128i*>(out + 2 * j);
      _mm_storeu_si128(at, _mm_or_si128(_mm_and_si128(_mm_loadu_si128(at), other), mine));
    } else {
      alignas(16) int16_t last[8];
      _mm_store_si128(reinterpret_cast<__m128i*>(last), mine);
      for (int32_t i = 0; i < 4; ++i) out[2 * (j + i)] = last[2 * i];
    }
  }
#else
  int16_t samples[32];
  MPSynthConvertSums(sums, samples);
  for (int32_t j = 0; j < 32; ++j) out[2 * j] = samples[j];
#endif
}

void MPSetInvertPolarity(int32_t on) {
  if ((on != 0) == (MPState.invert_polarity != 0)) return;
  for (float& w : MPSynthWindowTable) w = -w;
  BuildFastWindow();
  fast_window_built = true;
  MPState.invert_polarity = on != 0;
}

int32_t MPGetInvertPolarity() { return MPState.invert_polarity; }
