// The player's frame loop over streams with garbage, changed headers, free format and a cut-off
// end.
#include "mp3player/compo/player/frame_loop.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "mp3player/compo/io/memory_stream.h"
#include "mp3player/compo/io/stream_reader.h"
#include "tests/mp3player/compo/player/frame_starts.h"

namespace {

std::vector<uint8_t> Fixture(const std::string& name) {
  std::ifstream in(std::string(KORVA_TEST_DATA) + "/../../decoder/data/layer3/" + name,
                   std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Decoded {
  bool opened = false;
  int32_t frames = 0;
  int32_t skipped = 0;
  std::vector<uint8_t> pcm;
};

Decoded DecodeAll(const std::vector<uint8_t>& bytes) {
  TMPMemoryStream stream(bytes.data(), static_cast<int32_t>(bytes.size()));
  TMPStreamReader reader(64 * 1024);
  reader.Attach(&stream, true);
  TMPFrameLoop loop;
  Decoded result;
  MPSelectCpuRoutines(0);
  result.opened = loop.Open(reader, static_cast<int32_t>(bytes.size()));
  if (!result.opened) return result;
  uint8_t pcm[kMPMaxPcmBytes];
  for (;;) {
    const int32_t n = loop.Step(pcm);
    if (n == TMPFrameLoop::kEnd) break;
    if (n == TMPFrameLoop::kSkipped) {
      ++result.skipped;
      continue;
    }
    ++result.frames;
    result.pcm.insert(result.pcm.end(), pcm, pcm + n);
  }
  return result;
}

TEST(FrameLoop, DecodesEveryFrameAfterLeadingGarbage) {
  const std::vector<uint8_t> clean = Fixture("m1_32k_mono_56.mp3");
  const size_t frames = FrameStarts(clean).size();
  ASSERT_GT(frames, 10u);
  const Decoded plain = DecodeAll(clean);
  ASSERT_TRUE(plain.opened);
  EXPECT_EQ(plain.frames, static_cast<int32_t>(frames));
  EXPECT_EQ(plain.pcm.size(), frames * 1152 * 2);

  std::vector<uint8_t> shifted(1000, 0x11);
  shifted.insert(shifted.end(), clean.begin(), clean.end());
  const Decoded after_garbage = DecodeAll(shifted);
  EXPECT_EQ(after_garbage.pcm, plain.pcm);
}

TEST(FrameLoop, NoFrameWithinTheFirst4096Bytes) {
  std::vector<uint8_t> bytes(4096, 0x11);
  const std::vector<uint8_t> clean = Fixture("m1_32k_mono_56.mp3");
  bytes.insert(bytes.end(), clean.begin(), clean.end());
  EXPECT_FALSE(DecodeAll(bytes).opened);
}

TEST(FrameLoop, GarbageBetweenFramesIsSkippedUpTo4096Bytes) {
  const std::vector<uint8_t> clean = Fixture("m1_32k_mono_56.mp3");
  const std::vector<size_t> starts = FrameStarts(clean);
  for (size_t garbage : {size_t{4096}, size_t{4097}}) {
    std::vector<uint8_t> bytes(clean.begin(), clean.begin() + starts[5]);
    bytes.insert(bytes.end(), garbage, 0x22);
    bytes.insert(bytes.end(), clean.begin() + starts[5], clean.end());
    const Decoded d = DecodeAll(bytes);
    ASSERT_TRUE(d.opened);
    if (garbage == 4096) {
      EXPECT_EQ(d.frames, static_cast<int32_t>(starts.size()));
      EXPECT_EQ(d.skipped, 4096);
    } else {
      EXPECT_EQ(d.frames, 5);  // The data counts as ended at the garbage.
    }
  }
}

TEST(FrameLoop, ChangedSamplingFrequencyIsGarbageAndChangedBitRateIsNot) {
  const std::vector<uint8_t> clean = Fixture("m1_32k_mono_56.mp3");
  const std::vector<size_t> starts = FrameStarts(clean);
  std::vector<uint8_t> bytes = clean;
  bytes[starts[3] + 2] ^= 0x04;  // Sampling frequency index 2 -> 3 or the other way.
  const Decoded d = DecodeAll(bytes);
  EXPECT_LT(d.frames, static_cast<int32_t>(starts.size()));
  EXPECT_GT(d.skipped, 0);

  // A different bit rate (and so length) in one frame is accepted.
  TMPMemoryStream stream(clean.data(), static_cast<int32_t>(clean.size()));
  TMPStreamReader reader(64 * 1024);
  reader.Attach(&stream, true);
  TMPFrameLoop loop;
  ASSERT_TRUE(loop.Open(reader, static_cast<int32_t>(clean.size())));
  uint8_t header[4] = {clean[0], clean[1], static_cast<uint8_t>(clean[2] ^ 0x10), clean[3]};
  TMPAudioHeader parsed;
  EXPECT_EQ(loop.CheckFrame(header), MPParseHeader(header, 0, parsed) + MPPaddingBytes(parsed));
}

// A single-channel frame of a stereo stream plays in stereo, after a restart too.
TEST(FrameLoop, ChangedChannelModeKeepsTheFirstFramesLayout) {
  const std::vector<uint8_t> bytes = Fixture("../conformance/modes_l3_stereo_first.mp3");
  const std::vector<size_t> starts = FrameStarts(bytes);
  EXPECT_EQ(DecodeAll(bytes).pcm.size(), starts.size() * 4608);

  TMPMemoryStream stream(bytes.data(), static_cast<int32_t>(bytes.size()));
  TMPStreamReader reader(64 * 1024);
  reader.Attach(&stream, true);
  TMPFrameLoop loop;
  ASSERT_TRUE(loop.Open(reader, static_cast<int32_t>(bytes.size())));
  reader.Seek(static_cast<int32_t>(starts[5]), 0);  // A single-channel frame.
  loop.Restart();
  uint8_t pcm[kMPMaxPcmBytes];
  EXPECT_EQ(loop.Step(pcm), 4608);
  TMPDecodeInfo info;
  MPGetDecodeInfo(info);
  EXPECT_EQ(info.channels, 2);
}

TEST(FrameLoop, CutOffLastFrameEndsTheData) {
  const std::vector<uint8_t> clean = Fixture("m1_32k_mono_56.mp3");
  const std::vector<size_t> starts = FrameStarts(clean);
  const std::vector<uint8_t> cut(clean.begin(), clean.begin() + starts.back() + 20);
  const Decoded d = DecodeAll(cut);
  EXPECT_EQ(d.frames, static_cast<int32_t>(starts.size()) - 1);
}

TEST(FrameLoop, FreeFormatStreamsPlay) {
  const std::vector<uint8_t> clean = Fixture("m1_44k_free_160.mp3");
  const Decoded d = DecodeAll(clean);
  ASSERT_TRUE(d.opened);
  EXPECT_GT(d.frames, 30);
  EXPECT_EQ(d.skipped, 0);
}

// After a seek the decoder either goes on with its state (noisy: the bit reservoir of the
// frames before) or starts afresh, exactly as if the stream began at the target frame.
TEST(FrameLoop, SeekKeepsOrRestartsTheDecoder) {
  const std::vector<uint8_t> clean = Fixture("m1_32k_mono_56.mp3");
  const std::vector<size_t> starts = FrameStarts(clean);
  const auto target = static_cast<int32_t>(starts[10]);
  const auto size = static_cast<int32_t>(clean.size());
  const auto frameAfterSeek = [&](bool restart, bool playFirst) {
    TMPMemoryStream stream(clean.data(), size);
    TMPStreamReader reader(64 * 1024);
    reader.Attach(&stream, true);
    TMPFrameLoop loop;
    std::vector<uint8_t> pcm(kMPMaxPcmBytes);
    if (!playFirst) reader.Seek(target, 0);
    EXPECT_TRUE(loop.Open(reader, size - reader.Position()));
    if (playFirst) {
      for (int i = 0; i < 5; ++i) loop.Step(pcm.data());
      reader.Seek(target, 0);
      if (restart) {
        loop.Restart();
      } else {
        loop.ForgetFrame();
      }
    }
    pcm.resize(static_cast<size_t>(loop.Step(pcm.data())));
    return pcm;
  };
  const std::vector<uint8_t> fresh = frameAfterSeek(false, false);
  EXPECT_EQ(frameAfterSeek(true, true), fresh);
  EXPECT_NE(frameAfterSeek(false, true), fresh);
}

}  // namespace
