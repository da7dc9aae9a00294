// The polyphase synthesis filterbank: DCT-32 of each slot of subband samples into a ring of
// the last 16 outputs, windowing of the ring into 32 PCM samples, rounding and clipping.
#include <cmath>
#include <cstring>
#include <numbers>

#include "mp3player/compo/decoder/decoder_state.h"
#include "mp3player/compo/decoder/routines.h"
#include "mp3player/compo/decoder/tables_data.h"

#if defined(__SSE2__) || defined(_M_X64)
#define KORVA_SSE2 1
#include <emmintrin.h>
#endif

namespace {

// Split coefficients 0.5 / cos((2j + 1) pi / (4n)) of the recursive DCT for n = 16, 8, 4, 2, 1.
float dct_coefficients[31];
bool dct_built = false;

void BuildDctCoefficients() {
  int32_t offset = 0;
  for (int32_t n = 16; n >= 1; n /= 2) {
    for (int32_t j = 0; j < n; ++j) {
      dct_coefficients[offset + j] =
          static_cast<float>(0.5 / std::cos((2 * j + 1) * std::numbers::pi / (4.0 * n)));
    }
    offset += n;
  }
  dct_built = true;
}

#if defined(__GNUC__) || defined(__clang__)
#define KORVA_INLINE __attribute__((always_inline)) inline
#else
#define KORVA_INLINE __forceinline
#endif

// Un-normalised DCT-II of N points by the even/odd split: the sums feed the even outputs, the
// scaled differences the odd ones. All levels are inlined into one straight-line transform.
template <int N>
struct Dct {
  static KORVA_INLINE void Run(const float* x, float* out, const float* c) {
    float g[N / 2], h[N / 2], even[N / 2], odd[N / 2];
    for (int n = 0; n < N / 2; ++n) {
      g[n] = x[n] + x[N - 1 - n];
      h[n] = (x[n] - x[N - 1 - n]) * c[n];
    }
    Dct<N / 2>::Run(g, even, c + N / 2);
    Dct<N / 2>::Run(h, odd, c + N / 2);
    for (int k = 0; k < N / 2 - 1; ++k) {
      out[2 * k] = even[k];
      out[2 * k + 1] = odd[k] + odd[k + 1];
    }
    out[N - 2] = even[N / 2 - 1];
    out[N - 1] = odd[N / 2 - 1];
  }
};

template <>
struct Dct<1> {
  static KORVA_INLINE void Run(const float* x, float* out, const float*) { out[0] = x[0]; }
};

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

}  // namespace

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
  if (!dct_built) BuildDctCoefficients();
  if (!fast_window_built) {
    BuildFastWindow();
    fast_window_built = true;
  }
  std::memset(MPState.synth.ring, 0, sizeof MPState.synth.ring);
  MPState.synth.pos[0] = MPState.synth.pos[1] = 0;
}

void MPSynthDctPlain(const float* in, float* ring, int32_t pos) {
  Dct<32>::Run(in, ring + pos, dct_coefficients);
  if (pos == 0) std::memcpy(ring + 512, ring, 32 * sizeof(float));
}

void MPSynthDct(const float* in, int32_t stride, float* ring, int32_t pos) {
  if (MPState.subband_eq_on) {
    float scaled[32];
    for (int32_t i = 0; i < 32; ++i) scaled[i] = in[i * stride] * MPState.subband_gain[i];
    MPSynthDctPlain(scaled, ring, pos);
  } else if (stride != 1) {
    float gathered[32];
    for (int32_t i = 0; i < 32; ++i) gathered[i] = in[i * stride];
    MPSynthDctPlain(gathered, ring, pos);
  } else {
    MPSynthDctPlain(in, ring, pos);
  }
}

void MPSynthLayer3Mono(const float* hybrid, int16_t* pcm) {
  float* ring = MPState.synth.ring[0];
  int32_t& pos = MPState.synth.pos[0];
  for (int32_t slot = 0; slot < 18; ++slot) {
    MPSynthDct(hybrid + 32 * slot, 1, ring, pos);
    MPRoutines.window_mono(ring, pos, pcm + 32 * slot);
    pos = (pos - 32) & 511;
  }
}

void MPSynthLayer3Stereo(const float* hybrid, int32_t channel, int16_t* pcm) {
  float* ring = MPState.synth.ring[channel];
  int32_t& pos = MPState.synth.pos[channel];
  for (int32_t slot = 0; slot < 18; ++slot) {
    MPSynthDct(hybrid + 32 * slot, 1, ring, pos);
    MPRoutines.window_stereo(ring, pos, pcm + 64 * slot + channel);
    pos = (pos - 32) & 511;
  }
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
  int16_t samples[32];
  MPSynthConvertSums(sums, samples);
  for (int32_t j = 0; j < 32; ++j) out[2 * j] = samples[j];
}

void MPSetInvertPolarity(int32_t on) {
  if ((on != 0) == (MPState.invert_polarity != 0)) return;
  for (float& w : MPSynthWindowTable) w = -w;
  BuildFastWindow();
  fast_window_built = true;
  MPState.invert_polarity = on != 0;
}

int32_t MPGetInvertPolarity() { return MPState.invert_polarity; }
