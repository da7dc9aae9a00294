// Streams no encoder here writes, against mpg123's PCM at full accuracy: start and stop blocks
// with the mixed block flag, and channel modes that change from frame to frame (every frame
// plays in the first frame's layout).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/mp3player/compo/decoder/decoder_test_util.h"

namespace {

const char* const kStreams[] = {
    "mixed_44k_mono_64.mp3",     "modes_l3_mono_first.mp3",   "modes_l3_stereo_first.mp3",
    "modes_l2_stereo_first.mp2", "modes_l1_stereo_first.mp1",
};

TEST(Conformance, EveryStreamAtFullAccuracy) {
  for (const int32_t flags : {0, MPDetectCpu()}) {
    MPSelectCpuRoutines(flags);
    for (const std::string name : kStreams) {
      SCOPED_TRACE(name + " with processor flags " + std::to_string(flags));
      TMPDecodeInfo info;
      const std::vector<int16_t> decoded = DecodeStream(ReadFixture("conformance/" + name), &info);
      const std::vector<int16_t> reference =
          AsSamples(ReadFixture("conformance/" + name.substr(0, name.rfind('.')) + ".pcm"));
      ASSERT_FALSE(reference.empty());
      EXPECT_EQ(info.channels, name.find("stereo_first") != std::string::npos ? 2 : 1);
      ASSERT_EQ(decoded.size(), reference.size());
      const TPcmDifference d = Difference(decoded, reference);
      std::printf("%-28s flags %#8x  rms %.4f  max %d\n", name.c_str(),
                  static_cast<unsigned>(flags), d.rms, d.largest);
      EXPECT_LT(d.rms, 0.29);
      EXPECT_LE(d.largest, 2);
    }
  }
  MPSelectCpuRoutines(0);
}

}  // namespace
