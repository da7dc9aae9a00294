// The decoder's processor-variant slots and the forms that can fill them.
#pragma once

#include <cstdint>

// Whether this build has the four-lane vector forms (x86 with SSE2); without them the vector
// forms are the generic ones.
#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#define KORVA_SSE2 1
constexpr bool kMPBuildHasSse2 = true;
#else
constexpr bool kMPBuildHasSse2 = false;
#endif

// Alias reduction over the first `boundaries` subband boundaries of a 576-line spectrum.
using TMPAliasRoutine = void (*)(float* lines, int32_t boundaries);

// Windowing of one synthesis slot: ring (512 values plus a 32-value mirror of its start, see
// synth.cpp), write position, output. The mono form writes 32 consecutive samples, the stereo
// form every second sample.
using TMPWindowRoutine = void (*)(const float* ring, int32_t pos, int16_t* out);

// IMDCT of one subband with overlap-add: `lines` holds the subband's 18 spectral lines and
// receives the new overlap, `overlap` is the previous overlap, the 18 output samples go to
// out[0..17] and `window` is the window's block type (0..3, 2 the short window).
using TMPImdctRoutine = void (*)(float* lines, const float* overlap, float* out, int32_t window);

// Hybrid filter of one channel (see layer3_hybrid.cpp); returns the lines of overlap that may
// now be nonzero. `block_type` is the granule's block type, plus kMPMixedBlock when its mixed
// flag is set: the two lowest subbands then take the normal window.
inline constexpr int32_t kMPMixedBlock = 4;
using TMPHybridRoutine = int32_t (*)(float* current, const float* previous, float* out,
                                     int32_t block_type, int32_t long_lines, int32_t lines,
                                     int32_t previous_lines, int32_t subbands);

// DCT-32 of the synthesis for `slots` slots: value k of slot t at in[k * subband_step + t], the
// outputs of slot t to out + 32 * t; with `gains` (the subband equalizer) value k is first
// multiplied by gains[k]. The vector forms transform whole batches of slots side by side: `in`
// must hold finite values and `out` room up to MPSynthPaddedSlots(slots).
using TMPDctRoutine = void (*)(const float* in, int32_t subband_step, int32_t slots,
                               const float* gains, float* out);
constexpr int32_t kMPSynthSlotPadding = 8;

// Slots of subband samples rounded up to whole vector batches: the rows a DCT form may read.
constexpr int32_t MPSynthPaddedSlots(int32_t slots) {
  return (slots + kMPSynthSlotPadding - 1) / kMPSynthSlotPadding * kMPSynthSlotPadding;
}

struct TMPRoutines {
  TMPAliasRoutine alias = nullptr;
  TMPWindowRoutine window_mono = nullptr;
  TMPWindowRoutine window_stereo = nullptr;
  TMPHybridRoutine hybrid = nullptr;
  TMPImdctRoutine imdct36 = nullptr;
  TMPImdctRoutine imdct12 = nullptr;
  TMPDctRoutine dct = nullptr;
};

// The installed slots; empty until MPSelectCpuRoutines runs.
extern TMPRoutines MPRoutines;

// Generic forms (plain C++, sums of the windowing in double precision) and the vectorised
// forms installed for the processor-specific families.
void MPAliasGeneric(float* lines, int32_t boundaries);
void MPAliasFast(float* lines, int32_t boundaries);
void MPWindowMonoGeneric(const float* ring, int32_t pos, int16_t* out);
void MPWindowStereoGeneric(const float* ring, int32_t pos, int16_t* out);
void MPWindowMonoFast(const float* ring, int32_t pos, int16_t* out);
void MPWindowStereoFast(const float* ring, int32_t pos, int16_t* out);
void MPImdct36Generic(float* lines, const float* overlap, float* out, int32_t window);
void MPImdct36Fast(float* lines, const float* overlap, float* out, int32_t window);
void MPImdct12Generic(float* lines, const float* overlap, float* out, int32_t window);
void MPImdct12Fast(float* lines, const float* overlap, float* out, int32_t window);
int32_t MPHybridGeneric(float* current, const float* previous, float* out, int32_t block_type,
                        int32_t long_lines, int32_t lines, int32_t previous_lines,
                        int32_t subbands);
int32_t MPHybridFast(float* current, const float* previous, float* out, int32_t block_type,
                     int32_t long_lines, int32_t lines, int32_t previous_lines, int32_t subbands);

void MPSynthDctGeneric(const float* in, int32_t subband_step, int32_t slots, const float* gains,
                       float* out);
void MPSynthDctSse2(const float* in, int32_t subband_step, int32_t slots, const float* gains,
                    float* out);

// Forms for processors with AVX2 and FMA, installed in place of the vectorised forms above when
// MPHasAvx2Fma says the processor has both (simd_avx2.cpp).
bool MPHasAvx2Fma();
void MPWindowMonoAvx2(const float* ring, int32_t pos, int16_t* out);
void MPWindowStereoAvx2(const float* ring, int32_t pos, int16_t* out);
void MPImdct36Avx2(float* lines, const float* overlap, float* out, int32_t window);
int32_t MPHybridAvx2(float* current, const float* previous, float* out, int32_t block_type,
                     int32_t long_lines, int32_t lines, int32_t previous_lines, int32_t subbands);
void MPSynthDctAvx2(const float* in, int32_t subband_step, int32_t slots, const float* gains,
                    float* out);

// Split coefficients 0.5 / cos((2j + 1) pi / (4n)) of the synthesis DCT for n = 16, 8, 4, 2, 1.
extern const float* const MPSynthDctCoefficients;

// The synthesis window arranged for the vectorised windowing forms: output j of a slot is the
// sum over m = 0..7 of forward[m][j] * v[c1 + j] + backward[m][j] * v[c2 - j], with
// c1 = (p + 16 + 64m) mod 512 and c2 = (p + 48 + 64m) mod 512, plus 512 when below 32.
alignas(32) extern float MPSynthForwardWindow[8][32];
alignas(32) extern float MPSynthBackwardWindow[8][32];
// Rounds 32 sums to nearest (ties to even) with saturation, into 32 consecutive samples or
// every second sample.
void MPSynthConvertSums(const float* sums, int16_t* out);
void MPSynthStoreStereo(const float* sums, int16_t* out);

// A vectorised windowing form from its sums: `kSums` computes the 32 sums of a slot, and the
// result is stored as mono or as one channel of interleaved stereo.
using TMPWindowSums = void (*)(const float* ring, int32_t pos, float* sums);
template <TMPWindowSums kSums, bool kStereo>
void MPWindowFrom(const float* ring, int32_t pos, int16_t* out) {
  alignas(32) float sums[32];
  kSums(ring, pos, sums);
  if (kStereo) {
    MPSynthStoreStereo(sums, out);
  } else {
    MPSynthConvertSums(sums, out);
  }
}
