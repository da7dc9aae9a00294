// The forms for processors with AVX2 and FMA: eight lanes and fused multiply-add. They compute
// the same sums as the four-lane forms, rounded differently only in the last bits. This file
// alone is compiled for those processors (see CMakeLists.txt); it must not instantiate anything
// with external linkage that other files share, or the linker could hand AVX2 code to them.
#include "mp3player/compo/decoder/layer3.h"
#include "mp3player/compo/decoder/routines.h"
#include "mp3player/compo/decoder/synth_dct.h"

#if defined(__AVX2__) && defined(__FMA__)
#include <immintrin.h>

namespace {

void WindowSums8(const float* v, int32_t p, float* sums) {
  const __m256i reverse = _mm256_set_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  __m256 acc[4];
  for (auto& a : acc) a = _mm256_setzero_ps();
  for (int32_t m = 0; m < 8; ++m) {
    const float* forward = v + ((p + 16 + 64 * m) & 511);
    int32_t c2 = (p + 48 + 64 * m) & 511;
    if (c2 < 32) c2 += 512;
    const float* backward = v + c2 - 7;
    KORVA_UNROLL
    for (int32_t b = 0; b < 4; ++b) {
      const __m256 f = _mm256_loadu_ps(forward + 8 * b);
      const __m256 r = _mm256_permutevar8x32_ps(_mm256_loadu_ps(backward - 8 * b), reverse);
      acc[b] = _mm256_fmadd_ps(f, _mm256_load_ps(&MPSynthForwardWindow[m][8 * b]), acc[b]);
      acc[b] = _mm256_fmadd_ps(r, _mm256_load_ps(&MPSynthBackwardWindow[m][8 * b]), acc[b]);
    }
  }
  for (int32_t b = 0; b < 4; ++b) _mm256_storeu_ps(sums + 8 * b, acc[b]);
}

// Eight slots side by side: lane i holds slot t + i.
struct Lanes8 {
  __m256 v;
};
KORVA_INLINE Lanes8 operator+(Lanes8 a, Lanes8 b) { return {_mm256_add_ps(a.v, b.v)}; }
KORVA_INLINE Lanes8 operator-(Lanes8 a, Lanes8 b) { return {_mm256_sub_ps(a.v, b.v)}; }
KORVA_INLINE Lanes8 operator*(Lanes8 a, Lanes8 b) { return {_mm256_mul_ps(a.v, b.v)}; }
Lanes8 Splat8(float c) { return {_mm256_set1_ps(c)}; }

// Transposes the 8 x 8 block r[0..7] in place.
KORVA_INLINE void Transpose8(__m256* r) {
  __m256 t[8], u[8];
  for (int i = 0; i < 4; ++i) {
    t[2 * i] = _mm256_unpacklo_ps(r[2 * i], r[2 * i + 1]);
    t[2 * i + 1] = _mm256_unpackhi_ps(r[2 * i], r[2 * i + 1]);
  }
  for (int i = 0; i < 2; ++i) {
    u[4 * i] = _mm256_shuffle_ps(t[4 * i], t[4 * i + 2], 0x44);
    u[4 * i + 1] = _mm256_shuffle_ps(t[4 * i], t[4 * i + 2], 0xEE);
    u[4 * i + 2] = _mm256_shuffle_ps(t[4 * i + 1], t[4 * i + 3], 0x44);
    u[4 * i + 3] = _mm256_shuffle_ps(t[4 * i + 1], t[4 * i + 3], 0xEE);
  }
  for (int i = 0; i < 4; ++i) {
    r[i] = _mm256_permute2f128_ps(u[i], u[i + 4], 0x20);
    r[i + 4] = _mm256_permute2f128_ps(u[i], u[i + 4], 0x31);
  }
}

Lanes8 Load8(const float* p) { return {_mm256_loadu_ps(p)}; }

// Back from lanes to slots: 8 x 8 blocks turn.
void Store8(const Lanes8* y, float* out) {
  for (int32_t k = 0; k < 32; k += 8) {
    __m256 r[8];
    for (int32_t i = 0; i < 8; ++i) r[i] = y[k + i].v;
    Transpose8(r);
    for (int32_t i = 0; i < 8; ++i) _mm256_storeu_ps(out + 32 * i + k, r[i]);
  }
}

}  // namespace

bool MPHasAvx2Fma() { return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"); }

void MPWindowMonoAvx2(const float* ring, int32_t pos, int16_t* out) {
  MPWindowFrom<WindowSums8, false>(ring, pos, out);
}

void MPWindowStereoAvx2(const float* ring, int32_t pos, int16_t* out) {
  MPWindowFrom<WindowSums8, true>(ring, pos, out);
}

void MPImdct36Avx2(float* lines, const float* overlap, float* out, int32_t window) {
  // One product with the windowed IMDCT matrix gives the outputs and the new overlap; its
  // columns are arranged so that the first four vectors hold outputs 0..15 and new overlap 0..15.
  const float(*matrix)[40] = MPL3Tables.imdct36_windowed[window];
  __m256 acc[5];
  for (auto& a : acc) a = _mm256_setzero_ps();
  KORVA_UNROLL
  for (int32_t k = 0; k < 18; ++k) {
    const __m256 x = _mm256_set1_ps(lines[k]);
    KORVA_UNROLL
    for (int32_t b = 0; b < 5; ++b)
      acc[b] = _mm256_fmadd_ps(x, _mm256_load_ps(matrix[k] + 8 * b), acc[b]);
  }
  _mm256_storeu_ps(out, _mm256_add_ps(acc[0], _mm256_loadu_ps(overlap)));
  _mm256_storeu_ps(out + 8, _mm256_add_ps(acc[1], _mm256_loadu_ps(overlap + 8)));
  _mm256_storeu_ps(lines, acc[2]);
  _mm256_storeu_ps(lines + 8, acc[3]);
  alignas(32) float last[8];
  _mm256_store_ps(last, acc[4]);
  out[16] = last[0] + overlap[16];
  out[17] = last[1] + overlap[17];
  lines[16] = last[2];
  lines[17] = last[3];
}

void MPSynthDctAvx2(const float* in, int32_t subband_step, int32_t slots, const float* gains,
                    float* out) {
  // A last batch of four slots or fewer takes four lanes rather than eight (Layer III's 18 slots
  // are 8 + 8 + 2, Layer II's 36 are 4 x 8 + 4).
  const int32_t rest = slots % 8;
  const int32_t eight = rest == 0 || rest > 4 ? slots : slots - rest;
  MPDctSlots<Lanes8, Splat8, Load8, Store8, 8>(in, subband_step, eight, gains,
                                               MPSynthDctCoefficients, out);
  if (eight < slots)
    MPSynthDctSse2(in + eight, subband_step, slots - eight, gains, out + 32 * eight);
}

#else

// A build without the eight-lane forms: the four-lane ones stand in, and are never chosen in
// their place because MPHasAvx2Fma says no.
bool MPHasAvx2Fma() { return false; }
void MPWindowMonoAvx2(const float* ring, int32_t pos, int16_t* out) {
  MPWindowMonoFast(ring, pos, out);
}
void MPWindowStereoAvx2(const float* ring, int32_t pos, int16_t* out) {
  MPWindowStereoFast(ring, pos, out);
}
void MPImdct36Avx2(float* lines, const float* overlap, float* out, int32_t window) {
  MPImdct36Fast(lines, overlap, out, window);
}
void MPSynthDctAvx2(const float* in, int32_t subband_step, int32_t slots, const float* gains,
                    float* out) {
  MPSynthDctSse2(in, subband_step, slots, gains, out);
}

#endif
