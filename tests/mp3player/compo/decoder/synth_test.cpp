// The synthesis filterbank: unit gain, clipping, polarity, the subband equalizer, stereo
// interleaving and the agreement of the windowing forms.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <random>
#include <vector>

#include "mp3player/compo/decoder/decoder_state.h"
#include "mp3player/compo/decoder/routines.h"
#include "mp3player/compo/decoder/tables_data.h"

namespace {

// Runs the slots of 32 subband values through ring 0 into mono PCM, with the DCT form `dct`.
std::vector<int16_t> Synthesise(const std::vector<float>& subbands, TMPWindowRoutine window,
                                TMPDctRoutine dct = MPSynthDctGeneric) {
  MPSynthReset();
  MPRoutines.dct = dct;
  // The synthesis reads subband by subband, the slots side by side.
  const int32_t slots = static_cast<int32_t>(subbands.size() / 32);
  const int32_t row = MPSynthPaddedSlots(slots);
  std::vector<float> rows(32 * row);
  for (int32_t t = 0; t < slots; ++t) {
    for (int32_t k = 0; k < 32; ++k) rows[k * row + t] = subbands[32 * t + k];
  }
  std::vector<int16_t> out(subbands.size());
  MPSynthSlots(rows.data(), row, slots, true, MPState.synth.ring[0], 0, window, out.data(), 32);
  return out;
}

std::vector<float> Constant(float value, int32_t subband, int32_t slots) {
  std::vector<float> in(32 * slots, 0.0f);
  for (int32_t s = 0; s < slots; ++s) in[32 * s + subband] = value;
  return in;
}

class Synth : public testing::TestWithParam<TMPWindowRoutine> {
 protected:
  void SetUp() override {
    MPState.subband_eq_on = 0;
    MPSetInvertPolarity(0);
  }
};

TEST_P(Synth, SilenceStaysSilent) {
  for (int16_t s : Synthesise(std::vector<float>(32 * 20, 0.0f), GetParam())) EXPECT_EQ(s, 0);
}

TEST_P(Synth, ConstantInSubbandZeroHasUnitGain) {
  const std::vector<int16_t> out = Synthesise(Constant(1000.0f, 0, 30), GetParam());
  for (size_t i = 32 * 15; i < out.size(); ++i) ASSERT_EQ(out[i], 1000) << i;
  EXPECT_LT(std::abs(out[0]), 1000);  // The first slots ramp up.
}

TEST_P(Synth, FullScaleIsClippedNotWrapped) {
  const std::vector<int16_t> high = Synthesise(Constant(40000.0f, 0, 20), GetParam());
  const std::vector<int16_t> low = Synthesise(Constant(-40000.0f, 0, 20), GetParam());
  for (size_t i = 32 * 16; i < high.size(); ++i) {
    ASSERT_EQ(high[i], 32767);
    ASSERT_EQ(low[i], -32768);
  }
}

TEST_P(Synth, InvertedPolarityNegatesTheOutput) {
  const std::vector<float> in = Constant(1000.0f, 0, 20);
  MPSetInvertPolarity(1);
  EXPECT_EQ(MPGetInvertPolarity(), 1);
  const std::vector<int16_t> out = Synthesise(in, GetParam());
  MPSetInvertPolarity(0);
  EXPECT_EQ(out.back(), -1000);
}

TEST_P(Synth, EqualizerWithUnitGainsChangesNothingAndZeroRemovesASubband) {
  std::vector<float> in(32 * 20);
  std::mt19937 random(7);
  std::uniform_real_distribution<float> value(-500, 500);
  for (float& v : in) v = value(random);
  const std::vector<int16_t> plain = Synthesise(in, GetParam());
  for (int32_t i = 0; i < 32; ++i) *MPSubbandGain(i) = 1.0f;
  *MPSubbandEqEnabled() = 1;
  EXPECT_EQ(Synthesise(in, GetParam()), plain);
  *MPSubbandGain(3) = 0.0f;
  std::vector<float> without = in;
  for (size_t s = 0; s < 20; ++s) without[32 * s + 3] = 0;
  *MPSubbandEqEnabled() = 0;
  const std::vector<int16_t> expected = Synthesise(without, GetParam());
  *MPSubbandEqEnabled() = 1;
  EXPECT_EQ(Synthesise(in, GetParam()), expected);
  *MPSubbandEqEnabled() = 0;
}

INSTANTIATE_TEST_SUITE_P(Forms, Synth, testing::Values(MPWindowMonoGeneric, MPWindowMonoFast));

TEST(SynthPolarity, TwiceRestoresTheWindowBitForBit) {
  MPSetInvertPolarity(0);
  std::vector<float> before(MPSynthWindowTable, MPSynthWindowTable + 264);
  MPSetInvertPolarity(0);  // Already normal: nothing changes.
  EXPECT_EQ(std::memcmp(before.data(), MPSynthWindowTable, sizeof MPSynthWindowTable), 0);
  MPSetInvertPolarity(1);
  EXPECT_EQ(MPSynthWindowTable[1], -before[1]);
  MPSetInvertPolarity(5);  // Any nonzero value is "on".
  EXPECT_EQ(MPSynthWindowTable[1], -before[1]);
  MPSetInvertPolarity(0);
  EXPECT_EQ(std::memcmp(before.data(), MPSynthWindowTable, sizeof MPSynthWindowTable), 0);
}

TEST(SynthForms, FastWindowingAgreesWithGenericWithinOneLsb) {
  MPSynthReset();
  std::mt19937 random(11);
  std::uniform_real_distribution<float> value(-30000, 30000);
  float* ring = MPState.synth.ring[0];
  for (int32_t i = 0; i < 512; ++i) ring[i] = value(random);
  std::memcpy(ring + 512, ring, 32 * sizeof(float));
  for (int32_t pos = 0; pos < 512; pos += 32) {
    int16_t generic[32], fast[32], stereo[64] = {};
    MPWindowMonoGeneric(ring, pos, generic);
    MPWindowMonoFast(ring, pos, fast);
    for (int32_t j = 0; j < 32; ++j) ASSERT_LE(std::abs(generic[j] - fast[j]), 1) << pos;
    if (MPHasAvx2Fma()) {
      MPWindowMonoAvx2(ring, pos, fast);
      for (int32_t j = 0; j < 32; ++j) ASSERT_LE(std::abs(generic[j] - fast[j]), 1) << pos;
    }
    // The stereo forms write every second sample and leave the others alone.
    std::vector<TMPWindowRoutine> stereo_forms{MPWindowStereoGeneric, MPWindowStereoFast};
    if (MPHasAvx2Fma()) stereo_forms.push_back(MPWindowStereoAvx2);
    for (TMPWindowRoutine form : stereo_forms) {
      std::fill(stereo, stereo + 64, int16_t{0x5555});
      form(ring, pos, stereo + 1);
      for (int32_t j = 0; j < 32; ++j) {
        ASSERT_EQ(stereo[2 * j], 0x5555);
        ASSERT_LE(std::abs(stereo[2 * j + 1] - generic[j]), 1);
      }
    }
  }
}

// The vector DCT forms transform several slots at once; every slot, the equalizer and a slot
// count that is no whole batch give what the generic form gives.
TEST(SynthForms, VectorDctFormsAgreeWithGeneric) {
  std::vector<float> in(32 * 44);  // Five batches of eight, the last one of four slots.
  std::mt19937 random(5);
  std::uniform_real_distribution<float> value(-9000, 9000);
  for (float& v : in) v = value(random);
  for (int32_t eq = 0; eq < 2; ++eq) {
    for (int32_t i = 0; i < 32; ++i) *MPSubbandGain(i) = 0.25f + i / 16.0f;
    *MPSubbandEqEnabled() = eq;
    const std::vector<int16_t> generic = Synthesise(in, MPWindowMonoGeneric);
    std::vector<TMPDctRoutine> forms{MPSynthDctSse2};
    if (MPHasAvx2Fma()) forms.push_back(MPSynthDctAvx2);
    for (TMPDctRoutine form : forms) {
      const std::vector<int16_t> vector = Synthesise(in, MPWindowMonoGeneric, form);
      for (size_t i = 0; i < generic.size(); ++i)
        ASSERT_LE(std::abs(generic[i] - vector[i]), 1) << i;
    }
  }
  *MPSubbandEqEnabled() = 0;
}

TEST(SynthForms, SubbandEnergyLandsInItsBand) {
  // A cosine in subband k gives output whose spectrum lies in the k-th of 32 bands.
  MPSelectCpuRoutines(0);
  for (int32_t k : {2, 9, 20}) {
    std::vector<float> in(32 * 64, 0.0f);
    for (int32_t s = 0; s < 64; ++s) in[32 * s + k] = 8000.0f * std::cos(0.9f * s);
    const std::vector<int16_t> out = Synthesise(in, MPWindowMonoGeneric);
    double best = 0;
    int32_t best_band = -1;
    const size_t n = 1024;
    for (int32_t band = 0; band < 32; ++band) {
      double energy = 0;
      for (int32_t bin = band * 16; bin < band * 16 + 16; ++bin) {
        double re = 0, im = 0;
        for (size_t i = 0; i < n; ++i) {
          re += out[out.size() - n + i] * std::cos(std::numbers::pi * bin * i / 512.0);
          im += out[out.size() - n + i] * std::sin(std::numbers::pi * bin * i / 512.0);
        }
        energy += re * re + im * im;
      }
      if (energy > best) {
        best = energy;
        best_band = band;
      }
    }
    EXPECT_EQ(best_band, k);
  }
}

}  // namespace
