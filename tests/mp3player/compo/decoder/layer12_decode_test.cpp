// Layer I and II streams through the whole decoder: accuracy against a reference decoder's
// PCM, the output description, the channel conversions and frames that are rejected.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "mp3player/compo/decoder/decoder.h"

namespace {

std::vector<uint8_t> ReadFile(const std::string& name) {
  std::ifstream in(std::string(KORVA_TEST_DATA) + "/layer12/" + name, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<int16_t> ReadPcm(const std::string& name) {
  const std::vector<uint8_t> bytes = ReadFile(name);
  std::vector<int16_t> pcm(bytes.size() / 2);
  for (size_t i = 0; i < pcm.size(); ++i)
    pcm[i] = static_cast<int16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
  return pcm;
}

// Decodes a whole stream the way the player does: the first frame prepares the decoder, every
// frame is measured by its own header and handed over whole.
struct Decoded {
  TMPDecodeInfo info;
  std::vector<int16_t> pcm;
};

Decoded DecodeStream(const std::vector<uint8_t>& data, int32_t convert_code = 0) {
  Decoded out;
  TMPAudioHeader h;
  int32_t bitrate = 0, offset = -1;
  const int32_t length =
      MPFindSync(data.data(), static_cast<int32_t>(data.size()), h, bitrate, offset);
  EXPECT_EQ(offset, 0);
  EXPECT_GT(length, 0);
  EXPECT_EQ(MPDecodeInit(h, length, 0, 0, convert_code, 24000), 1);
  MPGetDecodeInfo(out.info);
  std::vector<uint8_t> pcm(kMPMaxPcmBytes);
  size_t at = 0;
  while (at + 4 <= data.size()) {
    const int32_t frame = MPParseHeader(data.data() + at, 0, h) + MPPaddingBytes(h);
    EXPECT_GT(frame, 0);
    if (frame <= 0 || at + static_cast<size_t>(frame) > data.size()) break;
    const TMPDecodeResult r = MPDecodeFrame(data.data() + at, pcm.data());
    EXPECT_EQ(r.in_bytes, frame) << "at " << at;
    EXPECT_EQ(r.out_bytes, out.info.values_per_frame * 2) << "at " << at;
    for (int32_t i = 0; i < r.out_bytes / 2; ++i)
      out.pcm.push_back(static_cast<int16_t>(pcm[2 * i] | (pcm[2 * i + 1] << 8)));
    at += static_cast<size_t>(frame);
  }
  return out;
}

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
      const Decoded decoded = DecodeStream(ReadFile(StreamName(fixture)));
      const std::vector<int16_t> reference = ReadPcm(fixture + ".pcm");
      ASSERT_FALSE(reference.empty());
      ASSERT_EQ(decoded.pcm.size(), reference.size());
      double squares = 0;
      int largest = 0;
      for (size_t i = 0; i < reference.size(); ++i) {
        const int d = decoded.pcm[i] - reference[i];
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
  const std::vector<uint8_t> layer1 = ReadFile("l1_44k_stereo_384_crc.mp1");
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

  const std::vector<uint8_t> layer2 = ReadFile("l2_16k_mono_32.mp2");
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
    const std::vector<uint8_t> data = ReadFile(name);
    const Decoded stereo = DecodeStream(data);
    ASSERT_EQ(stereo.info.channels, 2);
    const Decoded mixed = DecodeStream(data, 1);
    const Decoded left = DecodeStream(data, 2);
    const Decoded right = DecodeStream(data, 3);
    for (const Decoded* mono : {&mixed, &left, &right}) {
      EXPECT_EQ(mono->info.channels, 1);
      EXPECT_EQ(mono->info.values_per_frame, stereo.info.values_per_frame / 2);
      ASSERT_EQ(mono->pcm.size() * 2, stereo.pcm.size());
    }
    for (size_t i = 0; i < left.pcm.size(); ++i) {
      const int l = stereo.pcm[2 * i], r = stereo.pcm[2 * i + 1];
      ASSERT_EQ(left.pcm[i], l) << i;
      ASSERT_EQ(right.pcm[i], r) << i;
      ASSERT_LE(std::abs(2 * mixed.pcm[i] - (l + r)), 2) << i;
    }
  }
}

TEST(Layer12Decode, RejectsAFrameWithoutSyncAndSilenceDecodesToZeros) {
  std::vector<uint8_t> data = ReadFile("l2_44k_stereo_192.mp2");
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
