// Layer III decoding against a reference decoder's output on files made with lame: the RMS
// difference must stay below 0.29 LSB and no sample may differ by more than 2 LSB.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <tuple>

#include "mp3player/compo/decoder/routines.h"
#include "tests/mp3player/compo/decoder/decoder_test_util.h"

namespace {

const char* const kFixtures[] = {
    "m1_44k_joint_128", "m1_48k_stereo_160", "m1_32k_mono_56",  "m1_44k_mono_vbr",
    "m1_44k_dual_192",  "m1_44k_free_160",   "m1_48k_mono_320", "m2_22k_joint_64",
    "m2_24k_mono_48",   "m2_16k_stereo_vbr", "m25_11k_mono_24", "m25_12k_joint_32",
    "m25_8k_mono_16",
};

// Each fixture with the generic forms and with the forms chosen for this processor.
class Layer3Accuracy : public testing::TestWithParam<std::tuple<const char*, bool>> {
 protected:
  static void SetUpTestSuite() {
    std::printf("%-20s %-8s %8s %10s %8s\n", "fixture", "forms", "samples", "rms (LSB)", "max");
  }
  void TearDown() override { MPSelectCpuRoutines(0); }
};

TEST_P(Layer3Accuracy, MatchesReferenceDecoder) {
  const std::string name = std::get<0>(GetParam());
  const bool chosen = std::get<1>(GetParam());
  MPSelectCpuRoutines(chosen ? MPDetectCpu() : 0);
  const std::vector<uint8_t> mp3 = ReadFixture("layer3/" + name + ".mp3");
  const std::vector<int16_t> reference = AsSamples(ReadFixture("layer3/" + name + ".pcm"));
  ASSERT_FALSE(mp3.empty());
  ASSERT_FALSE(reference.empty());
  const std::vector<int16_t> decoded = DecodeStream(mp3, nullptr);
  ASSERT_EQ(decoded.size(), reference.size());
  double sum = 0;
  int max_difference = 0;
  for (size_t i = 0; i < decoded.size(); ++i) {
    const int d = decoded[i] - reference[i];
    sum += double(d) * d;
    max_difference = std::max(max_difference, std::abs(d));
  }
  const double rms = std::sqrt(sum / decoded.size());
  std::printf("%-20s %-8s %8zu %10.4f %8d\n", name.c_str(), chosen ? "chosen" : "generic",
              decoded.size(), rms, max_difference);
  EXPECT_LT(rms, 0.29);
  EXPECT_LE(max_difference, 2);
}

INSTANTIATE_TEST_SUITE_P(Fixtures, Layer3Accuracy,
                         testing::Combine(testing::ValuesIn(kFixtures), testing::Bool()));

}  // namespace

namespace {

// The processor-specific forms give the same audio as the generic ones, within one LSB: the
// four-lane forms, and the eight-lane forms where the processor has them.
TEST(Layer3Variants, FastFormsAgreeWithGenericForms) {
  std::vector<TMPRoutines> forms;
  forms.push_back({MPAliasFast, MPWindowMonoFast, MPWindowStereoFast, MPHybridFast, MPImdct36Fast,
                   MPImdct12Fast, MPSynthDctSse2});
  if (MPHasAvx2Fma()) {
    forms.push_back({MPAliasFast, MPWindowMonoAvx2, MPWindowStereoAvx2, MPHybridAvx2, MPImdct36Avx2,
                     MPImdct12Fast, MPSynthDctAvx2});
  }
  for (const char* name : kFixtures) {
    const std::vector<uint8_t> mp3 = ReadFixture(std::string("layer3/") + name + ".mp3");
    MPSelectCpuRoutines(0);
    const std::vector<int16_t> generic = DecodeStream(mp3, nullptr);
    for (const TMPRoutines& form : forms) {
      MPRoutines = form;
      const std::vector<int16_t> fast = DecodeStream(mp3, nullptr);
      ASSERT_EQ(generic.size(), fast.size()) << name;
      for (size_t i = 0; i < generic.size(); ++i) {
        ASSERT_LE(std::abs(generic[i] - fast[i]), 1) << name << " sample " << i;
      }
    }
    MPSelectCpuRoutines(0);
  }
}

// Mix to mono goes through the IMDCT slots for the second channel: their forms agree too.
TEST(Layer3Variants, MixToMonoThroughTheImdctSlots) {
  const std::vector<uint8_t> mp3 = ReadFixture("layer3/m1_44k_joint_128.mp3");
  MPSelectCpuRoutines(0);
  const std::vector<int16_t> generic = DecodeStream(mp3, nullptr, 1);
  MPRoutines.imdct36 = MPHasAvx2Fma() ? MPImdct36Avx2 : MPImdct36Fast;
  MPRoutines.imdct12 = MPImdct12Fast;
  const std::vector<int16_t> fast = DecodeStream(mp3, nullptr, 1);
  MPSelectCpuRoutines(0);
  ASSERT_EQ(generic.size(), fast.size());
  for (size_t i = 0; i < generic.size(); ++i) ASSERT_LE(std::abs(generic[i] - fast[i]), 1) << i;
}

}  // namespace
