// The windowing and the 36-point IMDCT with eight lanes and fused multiply-add, for processors
// that have AVX2 and FMA. They compute the same sums as the four-lane forms, rounded differently
// only in the last bits.
#include "mp3player/compo/decoder/layer3.h"
#include "mp3player/compo/decoder/routines.h"

#if (defined(__GNUC__) || defined(__clang__)) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>

#define KORVA_AVX2 __attribute__((target("avx2,fma")))

namespace {

KORVA_AVX2 void WindowSums8(const float* v, int32_t p, float* sums) {
  const __m256i reverse = _mm256_set_epi32(0, 1, 2, 3, 4, 5, 6, 7);
  __m256 acc[4];
  for (auto& a : acc) a = _mm256_setzero_ps();
  for (int32_t m = 0; m < 8; ++m) {
    const float* forward = v + ((p + 16 + 64 * m) & 511);
    int32_t c2 = (p + 48 + 64 * m) & 511;
    if (c2 < 32) c2 += 512;
    const float* backward = v + c2 - 7;
    for (int32_t b = 0; b < 4; ++b) {
      const __m256 f = _mm256_loadu_ps(forward + 8 * b);
      const __m256 r = _mm256_permutevar8x32_ps(_mm256_loadu_ps(backward - 8 * b), reverse);
      acc[b] = _mm256_fmadd_ps(f, _mm256_load_ps(&MPSynthForwardWindow[m][8 * b]), acc[b]);
      acc[b] = _mm256_fmadd_ps(r, _mm256_load_ps(&MPSynthBackwardWindow[m][8 * b]), acc[b]);
    }
  }
  for (int32_t b = 0; b < 4; ++b) _mm256_storeu_ps(sums + 8 * b, acc[b]);
}

}  // namespace

bool MPHasAvx2Fma() { return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"); }

void MPWindowMonoAvx2(const float* ring, int32_t pos, int16_t* out) {
  MPWindowFrom<WindowSums8, false>(ring, pos, out);
}

void MPWindowStereoAvx2(const float* ring, int32_t pos, int16_t* out) {
  MPWindowFrom<WindowSums8, true>(ring, pos, out);
}

KORVA_AVX2 void MPImdct36Avx2(float* lines, const float* overlap, float* out, const float* window) {
  __m256 acc[3];
  for (auto& a : acc) a = _mm256_setzero_ps();
  for (int32_t k = 0; k < 18; ++k) {
    const __m256 x = _mm256_set1_ps(lines[k]);
    const float* row = MPL3Tables.cos36[k];
    for (int32_t b = 0; b < 3; ++b)
      acc[b] = _mm256_fmadd_ps(x, _mm256_loadu_ps(row + 8 * b), acc[b]);
  }
  alignas(32) float z[24];
  for (int32_t b = 0; b < 3; ++b) _mm256_store_ps(z + 8 * b, acc[b]);
  MPImdct36Finish(z, lines, overlap, out, window);
}

#else

bool MPHasAvx2Fma() { return false; }
void MPWindowMonoAvx2(const float* ring, int32_t pos, int16_t* out) {
  MPWindowMonoFast(ring, pos, out);
}
void MPWindowStereoAvx2(const float* ring, int32_t pos, int16_t* out) {
  MPWindowStereoFast(ring, pos, out);
}
void MPImdct36Avx2(float* lines, const float* overlap, float* out, const float* window) {
  MPImdct36Fast(lines, overlap, out, window);
}

#endif
