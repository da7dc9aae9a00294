// Layer I and II streams through the whole decoder: accuracy against a reference decoder's
// PCM, the output description, the channel conversions and frames that are rejected.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "mp3player/compo/decoder/decoder_state.h"
#include "tests/mp3player/compo/decoder/decoder_test_util.h"

namespace {

std::vector<uint8_t> ReadStream(const std::string& name) { return ReadFixture("layer12/" + name); }

const char* const kFixtures[] = {
    "l1_16k_mono_32",    "l1_22k_stereo_128",     "l1_24k_joint16_96", "l1_32k_joint8_256",
    "l1_44k_joint4_128", "l1_44k_stereo_384_crc", "l1_48k_dual_448",   "l1_48k_mono_192",
    "l2_16k_mono_32",    "l2_22k_stereo_64",      "l2_24k_dual_16",    "l2_24k_joint_48",
    "l2_24k_stereo_160", "l2_32k_dual_256",       "l2_32k_mono_48",    "l2_44k_joint_128_crc_pad",
    "l2_44k_mono_56",    "l2_44k_stereo_192",     "l2_48k_joint_384",  "l2_48k_stereo_64",
};

std::string StreamName(const std::string& fixture) {
  return fixture + (fixture[1] == '1' ? ".mp1" : ".mp2");
}

// Full accuracy as ISO/IEC 11172-4 defines it: RMS difference below 2^-15 / sqrt(12) of full
// scale (0.29 of the last bit) and no sample more than 2 LSB off, in every routine variant.
TEST(Layer12Decode, EveryStreamAtFullAccuracy) {
  for (const int32_t flags : {0, MPDetectCpu()}) {
    MPSelectCpuRoutines(flags);
    for (const std::string fixture : kFixtures) {
      SCOPED_TRACE(fixture + " with processor flags " + std::to_string(flags));
      const std::vector<int16_t> decoded = DecodeStream(ReadStream(StreamName(fixture)), nullptr);
      const std::vector<int16_t> reference = AsSamples(ReadStream(fixture + ".pcm"));
      ASSERT_FALSE(reference.empty());
      ASSERT_EQ(decoded.size(), reference.size());
      double squares = 0;
      int largest = 0;
      for (size_t i = 0; i < reference.size(); ++i) {
        const int d = decoded[i] - reference[i];
        squares += static_cast<double>(d) * d;
        largest = std::max(largest, std::abs(d));
      }
      const double rms = std::sqrt(squares / static_cast<double>(reference.size()));
      std::printf("%-26s flags %#8x  rms %.4f  max %d\n", fixture.c_str(),
                  static_cast<unsigned>(flags), rms, largest);
      EXPECT_LT(rms, 0.29);
      EXPECT_LE(largest, 2);
    }
  }
}

TEST(Layer12Decode, DescribesTheOutput) {
  const std::vector<uint8_t> layer1 = ReadStream("l1_44k_stereo_384_crc.mp1");
  TMPAudioHeader h;
  const int32_t length = MPParseHeader(layer1.data(), 0, h);
  ASSERT_EQ(MPDecodeInit(h, length, 0, 0, 0, 24000), 1);
  TMPDecodeInfo info;
  MPGetDecodeInfo(info);
  EXPECT_EQ(info.channels, 2);
  EXPECT_EQ(info.values_per_frame, 768);
  EXPECT_EQ(info.sample_rate, 44100);
  EXPECT_EQ(info.bits_per_sample, 16);
  EXPECT_EQ(info.frame_bytes, length);
  EXPECT_EQ(info.type, 0);

  const std::vector<uint8_t> layer2 = ReadStream("l2_16k_mono_32.mp2");
  ASSERT_EQ(MPDecodeInit(h, MPParseHeader(layer2.data(), 0, h), 0, 0, 0, 24000), 1);
  MPGetDecodeInfo(info);
  EXPECT_EQ(info.channels, 1);
  EXPECT_EQ(info.values_per_frame, 1152);
  EXPECT_EQ(info.sample_rate, 16000);
}

TEST(Layer12Decode, RefusesLayer2WithoutAllocationTable) {
  const uint8_t mono_224[4] = {0xFF, 0xFD, 0xB0, 0xC0};  // Layer II, 224 kbit/s, single channel
  TMPAudioHeader h;
  const int32_t length = MPParseHeader(mono_224, 0, h);
  ASSERT_GT(length, 0);
  EXPECT_EQ(MPDecodeInit(h, length, 0, 0, 0, 24000), 0);
  const uint8_t stereo_224[4] = {0xFF, 0xFD, 0xB0, 0x00};
  EXPECT_EQ(MPDecodeInit(h, MPParseHeader(stereo_224, 0, h), 0, 0, 0, 24000), 1);
}

// Mixing to mono averages the channels; left only and right only pick one. Compared with the
// stereo decoding of the same stream, sample by sample.
TEST(Layer12Decode, ChannelConversions) {
  MPSelectCpuRoutines(0);
  for (const char* name : {"l2_44k_stereo_192.mp2", "l1_48k_dual_448.mp1"}) {
    SCOPED_TRACE(name);
    const std::vector<uint8_t> data = ReadStream(name);
    TMPDecodeInfo stereo_info, info;
    const std::vector<int16_t> stereo = DecodeStream(data, &stereo_info);
    ASSERT_EQ(stereo_info.channels, 2);
    std::vector<int16_t> mono[4];
    for (int32_t convert = 1; convert <= 3; ++convert) {
      mono[convert] = DecodeStream(data, &info, convert);
      EXPECT_EQ(info.channels, 1);
      EXPECT_EQ(info.values_per_frame, stereo_info.values_per_frame / 2);
      ASSERT_EQ(mono[convert].size() * 2, stereo.size());
    }
    for (size_t i = 0; i < stereo.size() / 2; ++i) {
      const int left = stereo[2 * i], right = stereo[2 * i + 1];
      ASSERT_LE(std::abs(2 * mono[1][i] - (left + right)), 2) << i;
      ASSERT_EQ(mono[2][i], left) << i;
      ASSERT_EQ(mono[3][i], right) << i;
    }
  }
}

// The subband equalizer acts on every arrangement but the mix to mono, whose averaging bypasses
// it.
TEST(Layer12Decode, SubbandEqualizerSkipsTheMixToMono) {
  MPSelectCpuRoutines(0);
  const std::vector<uint8_t> data = ReadStream("l2_44k_stereo_192.mp2");
  const std::vector<int16_t> mixed = DecodeStream(data, nullptr, 1);
  for (int32_t i = 0; i < 32; ++i) *MPSubbandGain(i) = 0.0f;
  *MPSubbandEqEnabled() = 1;
  const std::vector<int16_t> mixed_with_eq = DecodeStream(data, nullptr, 1);
  const std::vector<int16_t> stereo_with_eq = DecodeStream(data, nullptr);
  const std::vector<int16_t> left_with_eq = DecodeStream(data, nullptr, 2);
  *MPSubbandEqEnabled() = 0;
  EXPECT_EQ(mixed_with_eq, mixed);
  EXPECT_TRUE(
      std::all_of(stereo_with_eq.begin(), stereo_with_eq.end(), [](int16_t v) { return v == 0; }));
  EXPECT_TRUE(
      std::all_of(left_with_eq.begin(), left_with_eq.end(), [](int16_t v) { return v == 0; }));
  EXPECT_FALSE(mixed.empty());
}

// Every frame reports its own length with the padding slot (4 bytes in Layer I) and the PCM of
// a whole frame.
TEST(Layer12Decode, ReportsTheBytesOfEveryFrame) {
  for (const char* name : {"l1_44k_joint4_128.mp1", "l2_44k_joint_128_crc_pad.mp2"}) {
    SCOPED_TRACE(name);
    const std::vector<uint8_t> data = ReadStream(name);
    TMPAudioHeader h;
    ASSERT_EQ(MPDecodeInit(h, MPParseHeader(data.data(), 0, h), 0, 0, 0, 24000), 1);
    TMPDecodeInfo info;
    MPGetDecodeInfo(info);
    uint8_t pcm[kMPMaxPcmBytes];
    int padded = 0;
    size_t at = 0;
    while (at < data.size()) {
      const int32_t length = MPParseHeader(data.data() + at, 0, h) + MPPaddingBytes(h);
      padded += h.padding_bit;
      const TMPDecodeResult r = MPDecodeFrame(data.data() + at, pcm);
      ASSERT_EQ(r.in_bytes, length) << "at " << at;
      ASSERT_EQ(r.out_bytes, info.values_per_frame * 2);
      at += static_cast<size_t>(length);
    }
    EXPECT_EQ(at, data.size());
    EXPECT_GT(padded, 0);
  }
}

// Reduced rates keep every second or fourth sample of the full-rate output; 8-bit output keeps
// the high byte, offset to unsigned.
TEST(Layer12Decode, ReducedRateAndEightBitOutput) {
  MPSelectCpuRoutines(0);
  const std::vector<uint8_t> data = ReadStream("l1_48k_dual_448.mp1");
  TMPAudioHeader h;
  const int32_t length = MPParseHeader(data.data(), 0, h);
  // A quarter rate decodes 8 subbands; a 5625 Hz limit gives the full rate the same 8.
  ASSERT_EQ(MPDecodeInit(h, length, 0, 0, 0, 5625), 1);
  std::vector<int16_t> full(kMPMaxPcmBytes / 2);
  ASSERT_EQ(MPDecodeFrame(data.data(), reinterpret_cast<uint8_t*>(full.data())).out_bytes, 1536);

  ASSERT_EQ(MPDecodeInit(h, length, 2, 0, 8, 24000), 1);
  EXPECT_EQ(MPState.band_limit, 8);
  TMPDecodeInfo info;
  MPGetDecodeInfo(info);
  EXPECT_EQ(info.sample_rate, 12000);
  EXPECT_EQ(info.bits_per_sample, 8);
  EXPECT_EQ(info.values_per_frame, 192);
  uint8_t pcm[kMPMaxPcmBytes];
  const TMPDecodeResult r = MPDecodeFrame(data.data(), pcm);
  ASSERT_EQ(r.out_bytes, 192);
  for (int i = 0; i < 96; ++i) {
    ASSERT_EQ(pcm[2 * i], static_cast<uint8_t>((full[8 * i] >> 8) + 128)) << i;
    ASSERT_EQ(pcm[2 * i + 1], static_cast<uint8_t>((full[8 * i + 1] >> 8) + 128)) << i;
  }
}

TEST(Layer12Decode, RejectsAFrameWithoutSyncAndSilenceDecodesToZeros) {
  std::vector<uint8_t> data = ReadStream("l2_44k_stereo_192.mp2");
  TMPAudioHeader h;
  const int32_t length = MPParseHeader(data.data(), 0, h);
  ASSERT_EQ(MPDecodeInit(h, length, 0, 0, 0, 24000), 1);
  std::vector<uint8_t> pcm(kMPMaxPcmBytes, 0x55);
  std::vector<uint8_t> frame(data.begin(), data.begin() + length);
  frame[0] = 0xFE;
  TMPDecodeResult r = MPDecodeFrame(frame.data(), pcm.data());
  EXPECT_EQ(r.in_bytes, 0);
  EXPECT_EQ(r.out_bytes, 0);

  // Header and CRC-free zeros: no subband is allocated.
  std::fill(frame.begin() + 4, frame.end(), 0);
  frame[0] = 0xFF;
  r = MPDecodeFrame(frame.data(), pcm.data());
  EXPECT_EQ(r.in_bytes, length);
  EXPECT_EQ(r.out_bytes, 4608);
  for (int i = 0; i < r.out_bytes; ++i) ASSERT_EQ(pcm[i], 0) << i;
}

}  // namespace
