#include "mp3player/compo/decoder/frame_header.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

int32_t Parse(std::vector<uint8_t> bytes, TMPAudioHeader& h, int32_t length = 0) {
  return MPParseHeader(bytes.data(), length, h);
}

TEST(FrameHeaderTest, ParsesFieldsAndLengthsOfFixedRateHeaders) {
  TMPAudioHeader h;
  EXPECT_EQ(Parse({0xFF, 0xFB, 0x90, 0x64}, h), 417);
  EXPECT_EQ(h.sync_kind, 1);
  EXPECT_EQ(h.id, 1);
  EXPECT_EQ(h.layer_code, 1);
  EXPECT_EQ(h.protection_bit, 1);
  EXPECT_EQ(h.bitrate_index, 9);
  EXPECT_EQ(h.sampling_frequency, 0);
  EXPECT_EQ(h.padding_bit, 0);
  EXPECT_EQ(h.mode, 1);
  EXPECT_EQ(h.mode_extension, 2);
  EXPECT_EQ(h.home_flag, 1);
  EXPECT_EQ(h.emphasis, 0);

  EXPECT_EQ(Parse({0xFF, 0xFB, 0x92, 0xC4}, h), 417);  // Padding is the caller's to add.
  EXPECT_EQ(h.padding_bit, 1);
  EXPECT_EQ(MPPaddingBytes(h), 1);
  EXPECT_EQ(h.mode, 3);

  EXPECT_EQ(Parse({0xFF, 0xFD, 0xA4, 0x00}, h), 576);  // Layer II, 192 kbit/s, 48 kHz.
  EXPECT_EQ(h.layer_code, 2);
  EXPECT_EQ(Parse({0xFF, 0xFF, 0x1A, 0x00}, h), 48);  // Layer I, 32 kbit/s, 32 kHz, padded.
  EXPECT_EQ(MPPaddingBytes(h), 4);
  EXPECT_EQ(Parse({0xFF, 0xF3, 0x80, 0x00}, h), 208);  // MPEG-2 Layer III 64 kbit/s 22.05 kHz.
  EXPECT_EQ(h.id, 0);
}

TEST(FrameHeaderTest, Mpeg25UsesElevenBitSync) {
  TMPAudioHeader h;
  EXPECT_EQ(Parse({0xFF, 0xE3, 0x18, 0x00}, h), 72);  // 8 kbit/s, 8 kHz.
  EXPECT_EQ(h.sync_kind, 2);
  EXPECT_EQ(h.id, 0);
  EXPECT_EQ(MPSampleRateHz(h.id, h.sync_kind, h.sampling_frequency), 8000);
}

TEST(FrameHeaderTest, RejectsInvalidHeaders) {
  TMPAudioHeader h;
  EXPECT_EQ(Parse({0xFE, 0xFB, 0x90, 0x64}, h), 0);
  EXPECT_EQ(h.sync_kind, 0);
  EXPECT_EQ(Parse({0xFF, 0xD0, 0x90, 0x64}, h), 0);
  EXPECT_EQ(Parse({0xFF, 0xF9, 0x90, 0x64}, h), 0);  // Reserved layer.
  EXPECT_LE(Parse({0xFF, 0xFB, 0xF0, 0x64}, h), 0);  // Bit rate index 15.
  EXPECT_LE(Parse({0xFF, 0xFB, 0x9C, 0x64}, h), 0);  // Reserved sampling frequency.
  EXPECT_LE(Parse({0xFF, 0xFF, 0x1C, 0x00}, h), 0);
  EXPECT_LE(Parse({0xFF, 0xE3, 0x1C, 0x00}, h), 0);
}

// Builds `count` free-format frames of `size` bytes (plus one byte for each padded frame).
std::vector<uint8_t> FreeFormatFrames(int count, int size, bool pad_first) {
  std::vector<uint8_t> data;
  for (int i = 0; i < count; ++i) {
    const bool pad = pad_first && i == 0;
    data.insert(data.end(), {0xFF, 0xFB, static_cast<uint8_t>(pad ? 0x02 : 0x00), 0x44});
    data.resize(data.size() + size - 4 + (pad ? 1 : 0), 0x11);
  }
  return data;
}

TEST(FrameHeaderTest, MeasuresFreeFormatFrames) {
  TMPAudioHeader h;
  auto frames = FreeFormatFrames(6, 500, false);
  EXPECT_EQ(MPParseHeader(frames.data(), 0, h), 0);
  EXPECT_EQ(MPParseHeader(frames.data(), static_cast<int32_t>(frames.size()), h), 500);

  // The first frame's padding byte is not part of the frame size.
  frames = FreeFormatFrames(6, 500, true);
  EXPECT_EQ(MPParseHeader(frames.data(), static_cast<int32_t>(frames.size()), h), 500);

  // A second header that does not continue the step is rejected.
  frames = FreeFormatFrames(3, 500, false);
  frames[1000] = 0;
  EXPECT_EQ(MPParseHeader(frames.data(), static_cast<int32_t>(frames.size()), h), 0);

  // A single frame with nothing after it cannot be measured, nor can data cut inside a header.
  frames = FreeFormatFrames(1, 500, false);
  EXPECT_EQ(MPParseHeader(frames.data(), static_cast<int32_t>(frames.size()), h), 0);
  frames = FreeFormatFrames(2, 500, false);
  EXPECT_EQ(MPParseHeader(frames.data(), 502, h), 0);
}

TEST(FrameHeaderTest, FindSyncReportsOffsetAndBitrate) {
  TMPAudioHeader h;
  int32_t bitrate = -1;
  int32_t offset = -1;
  std::vector<uint8_t> none = {0x00, 0xFF, 0x00, 0xFF, 0xDF, 0x12, 0xFF};
  EXPECT_EQ(MPFindSync(none.data(), static_cast<int32_t>(none.size()), h, bitrate, offset), 0);
  EXPECT_EQ(offset, -1);
  EXPECT_EQ(bitrate, -1);

  std::vector<uint8_t> at0 = {0xFF, 0xFB, 0x90, 0x64};
  EXPECT_EQ(MPFindSync(at0.data(), 4, h, bitrate, offset), 417);
  EXPECT_EQ(offset, 0);
  EXPECT_EQ(bitrate, 128000);

  std::vector<uint8_t> later = {0x00, 0x12, 0xFF, 0xE3, 0x18, 0x00};
  EXPECT_EQ(MPFindSync(later.data(), 6, h, bitrate, offset), 72);
  EXPECT_EQ(offset, 2);
  EXPECT_EQ(bitrate, 8000);

  // A sync too close to the end for a whole header is not taken.
  offset = -1;
  EXPECT_EQ(MPFindSync(later.data(), 5, h, bitrate, offset), 0);
  EXPECT_EQ(offset, -1);

  auto frames = FreeFormatFrames(5, 418, false);
  frames.insert(frames.begin(), 3, 0);
  EXPECT_EQ(MPFindSync(frames.data(), static_cast<int32_t>(frames.size()), h, bitrate, offset),
            418);
  EXPECT_EQ(offset, 3);
  EXPECT_EQ(bitrate, 418 * 882 * 1000 / 2880);
}

TEST(FrameHeaderTest, TableLookups) {
  EXPECT_EQ(MPBitrateKbps(1, 3, 14), 448);
  EXPECT_EQ(MPBitrateKbps(1, 2, 14), 384);
  EXPECT_EQ(MPBitrateKbps(1, 1, 14), 320);
  EXPECT_EQ(MPBitrateKbps(0, 3, 14), 256);
  EXPECT_EQ(MPBitrateKbps(0, 1, 14), 160);
  EXPECT_EQ(MPBitrateKbps(0, 2, 15), 0);
  EXPECT_EQ(MPBitrateKbps(1, 0, 5), 0);
  EXPECT_EQ(MPSampleRateHz(1, 1, 1), 48000);
  EXPECT_EQ(MPSampleRateHz(0, 1, 2), 16000);
  EXPECT_EQ(MPSampleRateHz(0, 2, 0), 11025);
  EXPECT_EQ(MPSampleRateHz(1, 1, 3), 0);
}

}  // namespace
