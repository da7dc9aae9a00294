// Streams no encoder here writes, against mpg123's PCM at full accuracy: start and stop blocks
// with the mixed block flag, channel modes and Layer II bit rates that change from frame to frame
// (every frame plays in the first frame's layout), and test streams whose side information was
// rewritten (the reference made with subband 31 silenced, as this decoder never decodes it).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

#include "tests/mp3player/compo/decoder/decoder_test_util.h"

namespace {

const char* const kStreams[] = {
    "mixed_44k_mono_64.mp3",     "modes_l3_mono_first.mp3",   "modes_l3_stereo_first.mp3",
    "modes_l2_stereo_first.mp2", "modes_l1_stereo_first.mp1", "rates_l2_48k_stereo.mp2",
};

// Decodes `folder`/`name` with the generic and the processor's routine forms and compares it
// with its reference PCM. Returns the output channels.
int32_t ExpectFullAccuracy(const std::string& folder, const std::string& name) {
  const std::string path = folder + "/" + name;
  const std::vector<int16_t> reference =
      AsSamples(ReadFixture(path.substr(0, path.rfind('.')) + ".pcm"));
  EXPECT_FALSE(reference.empty()) << path;
  TMPDecodeInfo info;
  for (const int32_t flags : {0, MPDetectCpu()}) {
    MPSelectCpuRoutines(flags);
    const std::vector<int16_t> decoded = DecodeStream(ReadFixture(path), &info);
    EXPECT_EQ(decoded.size(), reference.size()) << path;
    const TPcmDifference d = Difference(decoded, reference);
    std::printf("%-30s flags %#8x  rms %.4f  max %d\n", name.c_str(), static_cast<unsigned>(flags),
                d.rms, d.largest);
    EXPECT_TRUE(d.FullAccuracy()) << path << " with processor flags " << flags;
  }
  MPSelectCpuRoutines(0);
  return info.channels;
}

TEST(Conformance, MixedStartStopBlocksAndModeChangesAtFullAccuracy) {
  for (const std::string name : kStreams) {
    const int32_t channels = ExpectFullAccuracy("conformance", name);
    EXPECT_EQ(channels, name.find("mono") != std::string::npos ? 1 : 2) << name;
  }
}

TEST(Conformance, MutatedStreamsAtFullAccuracy) {
  std::vector<std::string> names;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::string(KORVA_TEST_DATA) + "/mutated")) {
    const std::string ext = entry.path().extension().string();
    if (ext == ".mp1" || ext == ".mp2" || ext == ".mp3")
      names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_GE(names.size(), 14u);
  for (const std::string& name : names) ExpectFullAccuracy("mutated", name);
}

}  // namespace
