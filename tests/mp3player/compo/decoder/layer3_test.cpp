// Layer III decoding: output description, limits, the reservoir's silent frames, escapes,
// channel conversions and the frequency equalizer.
#include <gtest/gtest.h>

#include <cmath>

#include "mp3player/compo/decoder/layer3.h"
#include "mp3player/compo/decoder/tables_data.h"
#include "tests/mp3player/compo/decoder/decoder_test_util.h"

namespace {

TMPAudioHeader Header(const uint8_t (&bytes)[4]) {
  TMPAudioHeader header;
  MPParseHeader(bytes, 0, header);
  return header;
}

constexpr uint8_t kMpeg1Stereo[4] = {0xFF, 0xFB, 0x90, 0x04};  // 128 kbit/s, 44.1 kHz.
constexpr uint8_t kMpeg1Mono[4] = {0xFF, 0xFB, 0x90, 0xC4};
constexpr uint8_t kMpeg2Mono22k[4] = {0xFF, 0xF3, 0x80, 0xC4};  // 64 kbit/s, 22.05 kHz.

class Layer3 : public testing::Test {
 protected:
  void SetUp() override { MPSelectCpuRoutines(0); }
};

TEST_F(Layer3, OutputDescription) {
  ASSERT_EQ(MPDecodeInit(Header(kMpeg1Stereo), 417, 0, 0, 0, 24000), 1);
  TMPDecodeInfo info;
  MPGetDecodeInfo(info);
  EXPECT_EQ(info.channels, 2);
  EXPECT_EQ(info.values_per_frame, 2304);
  EXPECT_EQ(info.sample_rate, 44100);
  EXPECT_EQ(info.bits_per_sample, 16);
  EXPECT_EQ(info.frame_bytes, 417);
  EXPECT_EQ(info.type, 0);

  ASSERT_EQ(MPDecodeInit(Header(kMpeg2Mono22k), 208, 0, 0, 0, 24000), 1);
  MPGetDecodeInfo(info);
  EXPECT_EQ(info.channels, 1);
  EXPECT_EQ(info.values_per_frame, 576);
  EXPECT_EQ(info.sample_rate, 22050);
}

TEST_F(Layer3, BandLimitsAndClearLimits) {
  ASSERT_EQ(MPDecodeInit(Header(kMpeg1Stereo), 417, 0, 0, 0, 24000), 1);
  EXPECT_EQ(MPState.band_limit, 31);
  EXPECT_EQ(MPL3.stream.band_lines, 558);
  EXPECT_EQ(MPL3.stream.subbands, 31);

  ASSERT_EQ(MPDecodeInit(Header(kMpeg2Mono22k), 208, 0, 0, 0, 24000), 1);
  EXPECT_EQ(MPL3.stream.long_clear, 522);
  EXPECT_EQ(MPL3.stream.short_clear, 3 * 174);
  EXPECT_EQ(MPL3.stream.band_lines, 530);
}

TEST_F(Layer3, ReductionAndFrequencyLimitAreClamped) {
  ASSERT_EQ(MPDecodeInit(Header(kMpeg1Stereo), 417, 5, 0, 0, 500), 1);
  EXPECT_EQ(MPState.reduction, 2);
  EXPECT_EQ(MPState.freq_limit, 1000);
  EXPECT_EQ(MPState.band_limit, (1000 * 64 + 22050) / 44100);
  TMPDecodeInfo info;
  MPGetDecodeInfo(info);
  EXPECT_EQ(info.sample_rate, 11025);
  EXPECT_EQ(info.values_per_frame, 2 * 1152 / 4);
}

TEST_F(Layer3, UnusableHeadersAreRefused) {
  TMPAudioHeader header = Header(kMpeg1Stereo);
  header.sampling_frequency = 3;
  EXPECT_EQ(MPDecodeInit(header, 417, 0, 0, 0, 24000), 0);
  header = Header(kMpeg1Stereo);
  header.layer_code = 0;
  EXPECT_EQ(MPDecodeInit(header, 417, 0, 0, 0, 24000), 0);
  uint8_t pcm[kMPMaxPcmBytes];
  const uint8_t frame[8] = {0xFF, 0xFB, 0x90, 0x04};
  const TMPDecodeResult result = MPDecodeFrame(frame, pcm);
  EXPECT_EQ(result.in_bytes, 0);
  EXPECT_EQ(result.out_bytes, 0);
}

TEST_F(Layer3, EmptyGranulesDecodeToSilence) {
  // A frame whose side information is all zero: part2_3_length 0 everywhere.
  std::vector<uint8_t> frame(417 + 64, 0);
  std::copy(kMpeg1Mono, kMpeg1Mono + 4, frame.begin());
  ASSERT_EQ(MPDecodeInit(Header(kMpeg1Mono), 417, 0, 0, 0, 24000), 1);
  uint8_t pcm[kMPMaxPcmBytes];
  std::fill(pcm, pcm + sizeof pcm, 0x55);
  const TMPDecodeResult result = MPDecodeFrame(frame.data(), pcm);
  EXPECT_EQ(result.in_bytes, 417);
  EXPECT_EQ(result.out_bytes, 2304);
  for (int32_t i = 0; i < 2304; ++i) ASSERT_EQ(pcm[i], 0);
}

TEST_F(Layer3, BackPointerBeforeTheDataGivesOneSilentFrame) {
  const std::vector<uint8_t> mp3 = ReadFixture("layer3/m1_44k_joint_128.mp3");
  // Find a frame whose main data begins in an earlier frame and start the decoder there.
  size_t pos = 0;
  TMPAudioHeader header;
  for (;;) {
    ASSERT_LT(pos + 6, mp3.size());
    const int32_t length = MPParseHeader(&mp3[pos], 0, header) + header.padding_bit;
    const int32_t main_data_begin = (mp3[pos + 4] << 1) | (mp3[pos + 5] >> 7);
    if (pos > 0 && main_data_begin > 0) break;
    pos += length;
  }
  const int32_t length = MPParseHeader(&mp3[pos], 0, header);
  ASSERT_EQ(MPDecodeInit(header, length, 0, 0, 0, 24000), 1);
  uint8_t pcm[kMPMaxPcmBytes];
  std::fill(pcm, pcm + sizeof pcm, 0x55);
  const TMPDecodeResult result = MPDecodeFrame(&mp3[pos], pcm);
  EXPECT_EQ(result.in_bytes, length + header.padding_bit);
  EXPECT_EQ(result.out_bytes, 4608);
  for (int32_t i = 0; i < 4608; ++i) ASSERT_EQ(pcm[i], 0);
}

// Writes `count` bits of `value` MSB first at bit `pos`.
void PutBits(std::vector<uint8_t>& buffer, int32_t& pos, uint32_t value, int32_t count) {
  for (int32_t i = count - 1; i >= 0; --i, ++pos) {
    if ((value >> i) & 1) buffer[pos / 8] |= 0x80 >> (pos % 8);
  }
}

TEST_F(Layer3, LinbitsEscapeOfThirteenBits) {
  ASSERT_EQ(MPDecodeInit(Header(kMpeg1Mono), 417, 0, 0, 0, 24000), 1);
  const TMPHuffCodeTable& table = kMPHuffCodeTables[23];
  ASSERT_EQ(table.linbits, 13);
  const TMPHuffCode* code = nullptr;
  for (int32_t i = 0; i < table.count; ++i) {
    if (table.codes[i].x == 15 && table.codes[i].y == 0) code = &table.codes[i];
  }
  ASSERT_NE(code, nullptr);
  std::vector<uint8_t> bits(64, 0);
  int32_t end = 0;
  PutBits(bits, end, code->code, code->length);
  PutBits(bits, end, 0x1FFF, 13);
  PutBits(bits, end, 1, 1);  // Negative.

  TMPGranuleInfo gi{};
  gi.big_values = 1;
  gi.table_select[0] = gi.table_select[1] = gi.table_select[2] = 23;
  gi.region0_count = 7;
  gi.region1_count = 13;
  gi.part2_3_length = end;
  ASSERT_EQ(MPLayer3Huffman(bits.data(), 0, end, gi), 2);
  EXPECT_FLOAT_EQ(MPL3.values[0], -8206.0f * std::pow(8206.0f, 1.0f / 3.0f));
  EXPECT_EQ(MPL3.values[1], 0.0f);

  gi.global_gain = 150;  // Unit gain.
  float out[576];
  MPL3.scalefactors[0] = {};
  ASSERT_EQ(MPLayer3Requantise(gi, 0, 2, out), 2);
  EXPECT_FLOAT_EQ(out[0], -8206.0f * std::pow(8206.0f, 1.0f / 3.0f));
  EXPECT_EQ(out[1], 0.0f);
  EXPECT_EQ(out[575], 0.0f);

  // The same data cut short runs past the channel's end.
  gi.part2_3_length = end - 3;
  EXPECT_EQ(MPLayer3Huffman(bits.data(), 0, end - 3, gi), -1);
}

TEST_F(Layer3, ShortBlocksMeetTheBandLimitOnlyAfterReordering) {
  // In window order the last window of the top band reaches line 575, but its lines lie below
  // the band limit once reordered: the Huffman data of a short block is read to the end.
  ASSERT_EQ(MPDecodeInit(Header(kMpeg1Mono), 417, 0, 0, 0, 24000), 1);
  std::vector<uint8_t> bits(64, 0);
  TMPGranuleInfo gi{};
  gi.big_values = 288;  // Table 0: all values 0, no bits.
  gi.region0_count = 7;
  gi.region1_count = 13;
  EXPECT_EQ(MPLayer3Huffman(bits.data(), 0, 0, gi), 558);
  gi.block_type = 2;
  gi.window_switching_flag = 1;
  EXPECT_EQ(MPLayer3Huffman(bits.data(), 0, 0, gi), 576);
}

TEST_F(Layer3, ChannelConversions) {
  const std::vector<uint8_t> mp3 = ReadFixture("layer3/m1_48k_stereo_160.mp3");
  const std::vector<int16_t> stereo = DecodeStream(mp3, nullptr);
  TMPDecodeInfo info;
  const std::vector<int16_t> left = DecodeStream(mp3, &info, 2);
  EXPECT_EQ(info.channels, 1);
  const std::vector<int16_t> right = DecodeStream(mp3, nullptr, 3);
  const std::vector<int16_t> mix = DecodeStream(mp3, nullptr, 1);
  ASSERT_EQ(left.size() * 2, stereo.size());
  ASSERT_EQ(mix.size(), left.size());
  for (size_t i = 0; i < left.size(); ++i) {
    ASSERT_EQ(left[i], stereo[2 * i]);
    ASSERT_EQ(right[i], stereo[2 * i + 1]);
    ASSERT_LE(std::abs(mix[i] - (stereo[2 * i] + stereo[2 * i + 1]) / 2.0), 1.5) << i;
  }
}

TEST_F(Layer3, SingleChannelFramesInAStereoStreamSoundInBothChannels) {
  std::vector<uint8_t> stream = ReadFixture("layer3/m1_44k_joint_128.mp3");
  const std::vector<uint8_t> mono = ReadFixture("layer3/m1_44k_mono_vbr.mp3");
  const size_t stereo_frames = DecodeStream(stream, nullptr).size() / 2304;
  stream.insert(stream.end(), mono.begin(), mono.end());
  const std::vector<int16_t> both = DecodeStream(stream, nullptr);
  const std::vector<int16_t> alone = DecodeStream(mono, nullptr);
  ASSERT_EQ(both.size(), stereo_frames * 2304 + alone.size() * 2);
  // After two frames the overlap and the synthesis history of the stereo part have gone.
  for (size_t i = 2 * 1152; i < alone.size(); ++i) {
    ASSERT_EQ(both[stereo_frames * 2304 + 2 * i], alone[i]) << i;
    ASSERT_EQ(both[stereo_frames * 2304 + 2 * i + 1], alone[i]) << i;
  }
}

// Prepares a granule of two long-block channels: left all `left_value` up to `lines`, right
// nonzero in bands 0..right_last only.
void PrepareStereo(int32_t mode_extension, float left_value, int32_t lines, int32_t right_last) {
  ASSERT_EQ(MPDecodeInit(Header(kMpeg1Stereo), 417, 0, 0, 0, 24000), 1);
  TMPLayer3State& s = MPL3;
  s.mode = 1;
  s.mode_extension = mode_extension;
  s.lsf_scalefactors = false;
  for (int32_t ch = 0; ch < 2; ++ch) {
    TMPChannelBands& b = s.bands[ch];
    b = {};
    b.block_kind = 0;
    b.long_bands = 22;
    b.first_short_band = 12;
    b.last_long_band = ch == 0 ? 21 : right_last;
    std::fill(s.spectrum[ch][0], s.spectrum[ch][0] + 576, 0.0f);
  }
  std::fill(s.spectrum[0][0], s.spectrum[0][0] + lines, left_value);
  std::fill(s.spectrum[1][0], s.spectrum[1][0] + s.stream.long_end[right_last], 1.0f);
  s.nonzero[0][0] = lines;
  s.nonzero[1][0] = s.stream.long_end[right_last];
}

TEST_F(Layer3, MidSideGivesBothChannelsTheSameLineCount) {
  PrepareStereo(2, 3.0f, 300, 4);
  MPLayer3Stereo(0);
  EXPECT_EQ(MPL3.nonzero[0][0], 300);
  EXPECT_EQ(MPL3.nonzero[1][0], 300);
  EXPECT_EQ(MPL3.spectrum[0][0][0], 4.0f);    // 3 + 1
  EXPECT_EQ(MPL3.spectrum[1][0][0], 2.0f);    // 3 - 1
  EXPECT_EQ(MPL3.spectrum[1][0][299], 3.0f);  // 3 - 0
}

TEST_F(Layer3, IntensityPositionsOfMpeg1) {
  const TMPLayer3Stream& st = MPL3.stream;
  for (int32_t ms = 0; ms < 2; ++ms) {
    PrepareStereo(1 | (ms << 1), 2.0f, 576, 5);
    TMPScaleFactors& sf = MPL3.scalefactors[1];
    sf = {};
    sf.l[6] = 7;   // Not an intensity position: left stays, right 0 (M/S: both the left).
    sf.l[7] = 0;   // All in the right channel.
    sf.l[20] = 6;  // All in the left channel; band 21 follows band 20.
    MPLayer3Stereo(0);
    const float* left = MPL3.spectrum[0][0];
    const float* right = MPL3.spectrum[1][0];
    const float scale = ms ? std::sqrt(2.0f) : 1.0f;
    EXPECT_FLOAT_EQ(left[st.long_start[6]], 2.0f);
    EXPECT_FLOAT_EQ(right[st.long_start[6]], ms ? 2.0f : 0.0f);
    EXPECT_NEAR(left[st.long_start[7]], 0.0f, 1e-6);
    EXPECT_FLOAT_EQ(right[st.long_start[7]], 2.0f * scale);
    EXPECT_FLOAT_EQ(left[575], 2.0f * scale);
    EXPECT_NEAR(right[575], 0.0f, 1e-6);
    // Below the intensity region the right channel keeps its data (M/S: sum and difference).
    EXPECT_FLOAT_EQ(left[0], ms ? 3.0f : 2.0f);
    EXPECT_FLOAT_EQ(right[0], 1.0f);
    EXPECT_EQ(MPL3.nonzero[1][0], 576);
  }
}

TEST_F(Layer3, MixedBlocksAliasOnlyTheFirstBoundary) {
  ASSERT_EQ(MPDecodeInit(Header(kMpeg1Mono), 417, 0, 0, 0, 24000), 1);
  TMPLayer3State& s = MPL3;
  s.bands[0] = {};
  s.bands[0].block_type = 2;
  s.bands[0].mixed = 1;
  s.bands[0].block_kind = 1;
  s.bands[0].long_bands = 8;
  std::fill(s.spectrum[0][0], s.spectrum[0][0] + 576, 1.0f);
  s.nonzero[0][0] = 576;
  MPLayer3AliasAndEq(0, 1);
  EXPECT_NE(s.spectrum[0][0][17], 1.0f);
  EXPECT_NE(s.spectrum[0][0][18], 1.0f);
  EXPECT_EQ(s.spectrum[0][0][35], 1.0f);
  EXPECT_EQ(s.spectrum[0][0][36], 1.0f);
}

TEST_F(Layer3, ZeroFrequencyGainsSilenceTheStream) {
  const std::vector<uint8_t> mp3 = ReadFixture("layer3/m1_32k_mono_56.mp3");
  for (int32_t i = 0; i < 576; ++i) *MPFreqGain(i) = 0.0f;
  *MPFreqEqEnabled() = 1;
  const std::vector<int16_t> out = DecodeStream(mp3, nullptr);
  *MPFreqEqEnabled() = 0;
  ASSERT_FALSE(out.empty());
  for (int16_t s : out) ASSERT_EQ(s, 0);
}

TEST_F(Layer3, ReducedAndEightBitOutput) {
  const std::vector<uint8_t> mp3 = ReadFixture("layer3/m1_32k_mono_56.mp3");
  const std::vector<int16_t> full = DecodeStream(mp3, nullptr);
  TMPAudioHeader header;
  int32_t bitrate = 0, offset = 0;
  const int32_t length = MPFindSync(mp3.data(), 4096, header, bitrate, offset);
  ASSERT_EQ(MPDecodeInit(header, length, 0, 0, 8, 24000), 1);
  TMPDecodeInfo info;
  MPGetDecodeInfo(info);
  EXPECT_EQ(info.bits_per_sample, 8);
  std::vector<uint8_t> frame(mp3.begin() + offset, mp3.begin() + offset + length + 64);
  uint8_t pcm[kMPMaxPcmBytes];
  const TMPDecodeResult result = MPDecodeFrame(frame.data(), pcm);
  EXPECT_EQ(result.out_bytes, 1152);
  for (int32_t i = 0; i < 1152; ++i) ASSERT_EQ(pcm[i], static_cast<uint8_t>((full[i] >> 8) + 128));
}

}  // namespace
