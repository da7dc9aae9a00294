#include "mp3player/compo/decoder/layer12_frame.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

std::vector<uint8_t> ReadFixture(const std::string& name) {
  std::ifstream in(std::string(KORVA_TEST_DATA) + "/layer12/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class BitWriter {
 public:
  void Put(uint32_t value, int bits) {
    for (int b = bits - 1; b >= 0; --b) {
      if (used_ % 8 == 0) bytes_.push_back(0);
      if ((value >> b) & 1) bytes_.back() |= static_cast<uint8_t>(0x80 >> (used_ % 8));
      ++used_;
    }
  }
  // The frame padded with zeros to `size` bytes.
  std::vector<uint8_t> Frame(size_t size) const {
    std::vector<uint8_t> frame = bytes_;
    frame.resize(size, 0);
    return frame;
  }

 private:
  std::vector<uint8_t> bytes_;
  int used_ = 0;
};

// A Layer I or II header without CRC: MPEG-1 at 44.1 kHz.
void PutHeader(BitWriter& w, int layer_code, int bitrate_index, int mode, int mode_extension,
               int padding = 0) {
  w.Put(0xFFF, 12);
  w.Put(1, 1);
  w.Put(layer_code, 2);
  w.Put(1, 1);
  w.Put(bitrate_index, 4);
  w.Put(0, 2);
  w.Put(padding, 1);
  w.Put(0, 1);
  w.Put(mode, 2);
  w.Put(mode_extension, 2);
  w.Put(0, 4);
}

TMPAudioHeader Header(const std::vector<uint8_t>& frame, int32_t& length) {
  TMPAudioHeader h;
  length = MPParseHeader(frame.data(), 0, h);
  return h;
}

TMPLayer12Stream StreamOf(const std::vector<uint8_t>& frame, int band_limit = 31) {
  int32_t length = 0;
  const TMPAudioHeader h = Header(frame, length);
  TMPLayer12Stream stream;
  EXPECT_TRUE(MPLayer12Setup(stream, h, length, band_limit));
  return stream;
}

TEST(Layer12Setup, ChoosesTheTableOrRefuses) {
  TMPAudioHeader h;
  h.sync_kind = 1;
  h.id = 1;
  h.layer_code = 2;
  h.sampling_frequency = 1;  // 48 kHz
  h.bitrate_index = 4;       // 64 kbit/s
  TMPLayer12Stream s;
  ASSERT_TRUE(MPLayer12Setup(s, h, 192, 31));
  EXPECT_EQ(s.subbands, 8);
  EXPECT_EQ(s.band_limit, 8);
  EXPECT_EQ(s.channels, 2);

  h.mode = 3;
  h.sampling_frequency = 0;
  h.bitrate_index = 11;  // single channel at 224 kbit/s
  EXPECT_FALSE(MPLayer12Setup(s, h, 731, 31));

  h.id = 0;  // MPEG-2 at 24 kHz: 30 subbands at any bit rate
  h.sampling_frequency = 1;
  for (int index : {1, 8, 14}) {
    h.bitrate_index = index;
    ASSERT_TRUE(MPLayer12Setup(s, h, 100, 31));
    EXPECT_EQ(s.subbands, 30);
  }

  h.sync_kind = 2;  // MPEG-2.5 has no Layer II
  EXPECT_FALSE(MPLayer12Setup(s, h, 100, 31));
  h.sync_kind = 1;

  h.layer_code = 3;  // Layer I always has 32 subbands, of which the band limit decodes some
  h.sampling_frequency = 3;
  EXPECT_FALSE(MPLayer12Setup(s, h, 100, 31));
  h.sampling_frequency = 0;
  ASSERT_TRUE(MPLayer12Setup(s, h, 100, 31));
  EXPECT_EQ(s.subbands, 32);
  EXPECT_EQ(s.band_limit, 31);
  EXPECT_EQ(s.channels, 1);
}

TEST(Layer12Frame, RejectsAFrameWithoutSync) {
  BitWriter w;
  PutHeader(w, 2, 10, 0, 0);
  std::vector<uint8_t> frame = w.Frame(626);
  const TMPLayer12Stream stream = StreamOf(frame);
  std::vector<float> samples(kMPLayer12SampleValues);
  EXPECT_EQ(MPLayer12ReadFrame(stream, frame.data(), samples.data()), 626);
  frame[1] = 0xEF;  // an MPEG-2.5 sync, which Layer II does not have
  EXPECT_EQ(MPLayer12ReadFrame(stream, frame.data(), samples.data()), 0);
}

TEST(Layer12Frame, NoAllocationGivesSilenceAndTheWholeFrame) {
  for (int layer_code : {3, 2}) {
    SCOPED_TRACE(layer_code);
    BitWriter w;
    PutHeader(w, layer_code, 10, 0, 0, /*padding=*/1);
    int32_t length = 0;
    const std::vector<uint8_t> probe = w.Frame(4);
    Header(probe, length);
    const int32_t padded = length + (layer_code == 3 ? 4 : 1);
    const std::vector<uint8_t> frame = w.Frame(static_cast<size_t>(padded));
    const TMPLayer12Stream stream = StreamOf(frame);
    std::vector<float> samples(kMPLayer12SampleValues, 123.0f);
    EXPECT_EQ(MPLayer12ReadFrame(stream, frame.data(), samples.data()), padded);
    const int slots = layer_code == 3 ? kMPLayer1Slots : kMPLayer2Slots;
    for (int row = 0; row < stream.channels * 32; ++row)
      for (int t = 0; t < slots; ++t) ASSERT_EQ(samples[row * kMPLayer12RowSlots + t], 0.0f) << row;
  }
}

// Joint stereo with mode extension 0: from subband 4 on both channels share one allocation and
// one set of samples, scaled by each channel's own scale factor.
TEST(Layer12Frame, JointStereoSharesSamplesWithEachChannelsScaleFactors) {
  BitWriter w;
  PutHeader(w, 3, 12, 1, 0);  // Layer I, 384 kbit/s, joint stereo, bound 4
  for (int sb = 0; sb < 32; ++sb)
    for (int ch = 0; ch < (sb < 4 ? 2 : 1); ++ch) w.Put(sb == 6 ? 3 : 0, 4);
  w.Put(0, 6);  // subband 6, left: factor 65536
  w.Put(3, 6);  // subband 6, right: factor 32768
  for (int slot = 0; slot < 12; ++slot) w.Put(static_cast<uint32_t>(slot), 4);
  const std::vector<uint8_t> frame = w.Frame(416);
  const TMPLayer12Stream stream = StreamOf(frame);
  std::vector<float> samples(kMPLayer12SampleValues);
  ASSERT_EQ(MPLayer12ReadFrame(stream, frame.data(), samples.data()), 416);
  for (int slot = 0; slot < 12; ++slot) {
    const float expected = static_cast<float>((slot - 7) * 2.0 / 15.0 * 65536.0);
    const float* s = &samples[slot];
    EXPECT_FLOAT_EQ(s[6 * kMPLayer12RowSlots], expected) << slot;
    EXPECT_FLOAT_EQ(s[(32 + 6) * kMPLayer12RowSlots], expected / 2) << slot;
    EXPECT_EQ(s[5 * kMPLayer12RowSlots], 0.0f);
  }
}

// With the band limit below the stream's subbands the samples of the upper subbands are
// skipped; the decoded subbands must come out exactly as when everything is decoded, in every
// granule of every frame.
TEST(Layer12Frame, SkippingUpperSubbandsKeepsTheFollowingSamplesAligned) {
  for (const char* name : {"l2_44k_stereo_192.mp2", "l2_44k_joint_128_crc_pad.mp2",
                           "l1_44k_joint4_128.mp1", "l1_48k_mono_192.mp1"}) {
    SCOPED_TRACE(name);
    const std::vector<uint8_t> data = ReadFixture(name);
    ASSERT_GT(data.size(), 4u);
    const TMPLayer12Stream full = StreamOf(data, 31);
    const TMPLayer12Stream limited = StreamOf(data, 3);
    std::vector<float> a(kMPLayer12SampleValues);
    std::vector<float> b(a.size());
    size_t at = 0;
    int frames = 0;
    while (at + 4 <= data.size()) {
      const int32_t used = MPLayer12ReadFrame(full, data.data() + at, a.data());
      ASSERT_GT(used, 0) << "at " << at;
      ASSERT_EQ(MPLayer12ReadFrame(limited, data.data() + at, b.data()), used);
      for (size_t i = 0; i < a.size(); ++i) {
        const int k = static_cast<int>(i / kMPLayer12RowSlots % 32);
        if (k < 3)
          ASSERT_EQ(a[i], b[i]) << "frame " << frames << " value " << i;
        else
          ASSERT_EQ(b[i], 0.0f) << "frame " << frames << " value " << i;
      }
      at += static_cast<size_t>(used);
      ++frames;
    }
    EXPECT_EQ(at, data.size());
    EXPECT_GT(frames, 10);
  }
}

// Corrupt allocations ask for more bits than the frame holds; decoding stays inside the frame
// (the sanitizer builds catch any read beyond it) and yields finite values.
TEST(Layer12Frame, CorruptBitsStayInsideTheFrame) {
  // Layer I at 32 kbit/s and Layer II at 64 kbit/s (table B.2c): the smallest stereo frames.
  for (const auto [layer_code, bitrate_index] : {std::pair{3, 1}, std::pair{2, 4}}) {
    for (uint8_t fill : {0xFF, 0xAA, 0x5B}) {
      BitWriter w;
      PutHeader(w, layer_code, bitrate_index, 1, 3);
      int32_t length = 0;
      std::vector<uint8_t> frame = w.Frame(4);
      Header(frame, length);
      frame.resize(static_cast<size_t>(length), fill);
      const TMPLayer12Stream stream = StreamOf(frame);
      std::vector<float> samples(kMPLayer12SampleValues);
      EXPECT_EQ(MPLayer12ReadFrame(stream, frame.data(), samples.data()), length);
      for (float v : samples) ASSERT_TRUE(std::isfinite(v));
    }
  }
}

}  // namespace
