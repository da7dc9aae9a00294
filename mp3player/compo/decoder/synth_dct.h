// The synthesis DCT-32 written once over its arithmetic type: plain floats for the generic form,
// and vectors whose lanes hold the same subband of consecutive slots for the vector forms, so
// that four or eight slots are transformed at once without shuffles inside the transform.
//
// Internal linkage on purpose: each file instantiates these templates under its own processor
// options, and the linker must never exchange an instantiation built for a wider processor with
// one built for any x86-64.
#pragma once

// The transform is meant as straight-line code: every loop unrolled, every level inlined.
#if defined(__clang__)
#define KORVA_INLINE __attribute__((always_inline)) inline
#define KORVA_UNROLL _Pragma("clang loop unroll(full)")
#elif defined(__GNUC__)
#define KORVA_INLINE __attribute__((always_inline)) inline
#define KORVA_UNROLL _Pragma("GCC unroll 16")
#else
#define KORVA_INLINE __forceinline
#define KORVA_UNROLL
#endif

namespace {

// Un-normalised DCT-II of N points by the even/odd split: the sums feed the even outputs, the
// scaled differences the odd ones. All levels are inlined into one straight-line transform.
// `c` holds the split coefficients (MPSynthDctCoefficients); `Splat` turns one into the
// arithmetic type.
template <int N, typename V, V (*Splat)(float)>
struct MPDct {
  static KORVA_INLINE void Run(const V* x, V* out, const float* c) {
    V g[N / 2], h[N / 2], even[N / 2], odd[N / 2];
    KORVA_UNROLL
    for (int n = 0; n < N / 2; ++n) {
      g[n] = x[n] + x[N - 1 - n];
      h[n] = (x[n] - x[N - 1 - n]) * Splat(c[n]);
    }
    MPDct<N / 2, V, Splat>::Run(g, even, c + N / 2);
    MPDct<N / 2, V, Splat>::Run(h, odd, c + N / 2);
    KORVA_UNROLL
    for (int k = 0; k < N / 2 - 1; ++k) {
      out[2 * k] = even[k];
      out[2 * k + 1] = odd[k] + odd[k + 1];
    }
    out[N - 2] = even[N / 2 - 1];
    out[N - 1] = odd[N / 2 - 1];
  }
};

template <typename V, V (*Splat)(float)>
struct MPDct<1, V, Splat> {
  static KORVA_INLINE void Run(const V* x, V* out, const float*) { out[0] = x[0]; }
};

// A DCT form over `slots` slots (see TMPDctRoutine), kLanes slots at a time: `Load` reads the
// lanes of one subband from consecutive slots, `Store` turns the 32 outputs back into kLanes
// slots of 32 values.
template <typename V, V (*Splat)(float), V (*Load)(const float*),
          void (*Store)(const V* y, float* out), int kLanes>
KORVA_INLINE void MPDctSlots(const float* in, int subband_step, int slots, const float* gains,
                             const float* coefficients, float* out) {
  for (int t = 0; t < slots; t += kLanes) {
    V x[32], y[32];
    for (int k = 0; k < 32; ++k) x[k] = Load(in + k * subband_step + t);
    if (gains) {
      for (int k = 0; k < 32; ++k) x[k] = x[k] * Splat(gains[k]);
    }
    MPDct<32, V, Splat>::Run(x, y, coefficients);
    Store(y, out + 32 * t);
  }
}

}  // namespace
