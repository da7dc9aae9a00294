// Layer III: initialisation, frame headers and side information, the main data reservoir and
// the order of the granule steps.
#include "mp3player/compo/decoder/layer3.h"

#include <algorithm>
#include <cstring>

#include "mp3player/compo/decoder/tables_data.h"

TMPLayer3State MPL3;

namespace {

// The fields of a frame's header that the frame decoder uses.
struct TFrameHeader {
  int32_t id;
  int32_t protection_bit;
  int32_t padding_bit;
  int32_t mode;
  int32_t mode_extension;
  int32_t length;  // Frame length with padding.
};

// Reads the header from the frame itself. Returns false for a sync the stream does not expect or
// an unusable bit rate or sampling frequency index.
bool ReadFrameHeader(const uint8_t* frame, bool mpeg1_stream, TFrameHeader& h) {
  uint8_t bytes[8] = {};  // The reader loads four bytes at a time: read from a padded copy.
  std::memcpy(bytes, frame, 4);
  const int32_t sync = (bytes[0] << 4) | (bytes[1] >> 4);
  const bool mpeg25 = sync == 0xFFE;
  if (sync != 0xFFF && (mpeg1_stream || !mpeg25)) return false;
  int32_t pos = 12;
  h.id = MPReadBits(bytes, pos, 1);
  pos += 2;  // Layer.
  h.protection_bit = MPReadBits(bytes, pos, 1);
  const int32_t bitrate_index = MPReadBits(bytes, pos, 4);
  const int32_t sampling_frequency = MPReadBits(bytes, pos, 2);
  h.padding_bit = MPReadBits(bytes, pos, 1);
  pos += 1;  // Private bit.
  h.mode = MPReadBits(bytes, pos, 2);
  h.mode_extension = MPReadBits(bytes, pos, 2);
  if (h.mode != 1) h.mode_extension = 0;
  if (bitrate_index == 15 || sampling_frequency == 3 || (mpeg25 && h.id == 1)) return false;
  if (bitrate_index == 0) {
    h.length = MPState.frame_bytes;  // Free format: the measured length stays in force.
  } else {
    // The MPEG-2 rate table serves MPEG-2.5 too, at twice its real rates.
    const int32_t f50 = MPSampleRateHz(h.id, 1, sampling_frequency) / 50;
    const int32_t factor = (h.id == 1 || mpeg25) ? 2880 : 1440;
    h.length = MPBitrateKbps(h.id, 1, bitrate_index) * factor / f50;
  }
  h.length += h.padding_bit;
  return true;
}

void ReadGranuleInfo(const uint8_t* side, int32_t& pos, bool mpeg1, TMPGranuleInfo& g) {
  g.part2_3_length = MPReadBits(side, pos, 12);
  g.big_values = MPReadBits(side, pos, 9);
  g.global_gain = MPReadBits(side, pos, 8) + MPL3.stream.gain_offset;
  if (MPL3.mode_extension & 2) g.global_gain -= 2;  // The M/S factor 1/sqrt(2).
  g.scalefac_compress = MPReadBits(side, pos, mpeg1 ? 4 : 9);
  g.window_switching_flag = MPReadBits(side, pos, 1);
  if (g.window_switching_flag) {
    g.block_type = MPReadBits(side, pos, 2);
    g.mixed_block_flag = MPReadBits(side, pos, 1);
    for (int32_t r = 0; r < 2; ++r) g.table_select[r] = MPReadBits(side, pos, 5);
    g.table_select[2] = 0;
    for (int32_t w = 0; w < 3; ++w) g.subblock_gain[w] = MPReadBits(side, pos, 3);
    if (!mpeg1 && g.block_type == 2) {
      g.region0_count = 5;
      g.region1_count = 15;
    } else {
      g.region0_count = 7;
      g.region1_count = 13;
    }
  } else {
    g.block_type = 0;
    g.mixed_block_flag = 0;
    for (int32_t r = 0; r < 3; ++r) g.table_select[r] = MPReadBits(side, pos, 5);
    for (int32_t w = 0; w < 3; ++w) g.subblock_gain[w] = 0;
    g.region0_count = MPReadBits(side, pos, 4);
    g.region1_count = MPReadBits(side, pos, 3);
  }
  g.preflag = mpeg1 ? MPReadBits(side, pos, 1) : 0;
  g.scalefac_scale = MPReadBits(side, pos, 1);
  g.count1table_select = MPReadBits(side, pos, 1);
}

void ReadSideInfo(const uint8_t* side, bool mpeg1, int32_t channels) {
  int32_t pos = 0;
  TMPLayer3State& s = MPL3;
  s.main_data_begin = MPReadBits(side, pos, mpeg1 ? 9 : 8);
  pos += mpeg1 ? (channels == 1 ? 5 : 3) : (channels == 1 ? 1 : 2);
  if (mpeg1) {
    for (int32_t ch = 0; ch < channels; ++ch) s.scfsi[ch] = MPReadBits(side, pos, 4);
  }
  for (int32_t gr = 0; gr < (mpeg1 ? 2 : 1); ++gr) {
    for (int32_t ch = 0; ch < channels; ++ch) ReadGranuleInfo(side, pos, mpeg1, s.granule[gr][ch]);
  }
}

// Decodes the scale factors and Huffman data of one channel and requantises them into the
// spectrum slot. `bit_pos` is the channel's start in the reservoir and moves to the next one.
void DecodeChannel(int32_t granule, int32_t channel, int32_t slot, int32_t& bit_pos) {
  TMPLayer3State& s = MPL3;
  const TMPGranuleInfo& gi = s.granule[granule][channel];
  const int32_t end_pos = bit_pos + gi.part2_3_length;
  int32_t pos = bit_pos;
  bit_pos = end_pos;
  MPLayer3ScaleFactors(s.reservoir, pos, granule, channel);
  int32_t nonzero = MPLayer3Huffman(s.reservoir, pos, end_pos, gi);
  if (nonzero < 0) nonzero = 0;  // The data ran past its end: the channel is silent.
  const int32_t clear = gi.block_type == 2 ? s.stream.short_clear : s.stream.long_clear;
  nonzero = std::min(nonzero, clear);
  float* out = s.spectrum[channel][slot];
  s.nonzero[channel][slot] = MPLayer3Requantise(gi, channel, nonzero, out);
}

void DecodeGranule(int32_t granule, int32_t slot, int32_t channels, int32_t& bit_pos,
                   int16_t* pcm) {
  for (int32_t ch = 0; ch < channels; ++ch) DecodeChannel(granule, ch, slot, bit_pos);
  if (channels == 2) MPLayer3Stereo(slot);
  MPLayer3AliasAndEq(slot, channels);
  MPL3.transform(slot, pcm);
}

// Appends the frame's main data to the reservoir. Returns the bit position of the frame's main
// data, -1 when the back pointer reaches before the buffered data, or -2 when the frame must be
// rejected.
int32_t FillReservoir(const uint8_t* main_data, int32_t size) {
  TMPLayer3State& s = MPL3;
  int32_t start = s.fill - s.main_data_begin;
  if (s.fill > kMPReservoirSize - 1500) {
    std::memmove(s.reservoir, s.reservoir + s.fill - s.main_data_begin, s.main_data_begin);
    start = 0;
    s.fill = s.main_data_begin;
  }
  if (size < 0 || size > kMPReservoirSize || s.fill + size > kMPReservoirSize) return -2;
  std::memcpy(s.reservoir + s.fill, main_data, size);
  s.fill += size;
  return start < 0 ? -1 : start * 8;
}

template <bool kMpeg1>
TMPDecodeResult DecodeFrame(const uint8_t* bytes, uint8_t* pcm) {
  TMPLayer3State& s = MPL3;
  TFrameHeader h;
  if (!ReadFrameHeader(bytes, kMpeg1, h)) return {};
  // The mode may change from frame to frame (a single-channel frame in a stereo stream).
  const int32_t channels = h.mode == 3 ? 1 : 2;
  const int32_t side_bytes = kMpeg1 ? (channels == 1 ? 17 : 32) : (channels == 1 ? 9 : 17);
  const int32_t head_bytes = 4 + (h.protection_bit ? 0 : 2) + side_bytes;
  const int32_t main_bytes = h.length - head_bytes;
  if (main_bytes < 0) return {};

  s.mode = h.mode;
  s.mode_extension = h.mode_extension;
  if (channels != s.frame_channels) {
    MPLayer3SetFrameChannels(channels);
    // A change of channel count starts the synthesis afresh, as a new stream would; each
    // channel keeps its overlap for its next granule.
    MPSynthReset();
  }
  s.lsf_scalefactors = !kMpeg1 || h.id == 0;
  // The side information is read from a padded copy so that its reader stays in bounds.
  uint8_t side[40] = {};
  std::memcpy(side, bytes + head_bytes - side_bytes, side_bytes);
  ReadSideInfo(side, kMpeg1, channels);

  int32_t bit_pos = FillReservoir(bytes + head_bytes, main_bytes);
  if (bit_pos == -2) return {};
  const TMPDecodeResult result{h.length, MPState.pcm_bytes};
  if (bit_pos == -1) {
    MPWriteSilence(pcm);
    return result;
  }

  const bool direct = MPState.reduction == 0 && MPState.bits == 16;
  alignas(16) int16_t full[1152 * 2];
  int16_t* out = direct ? reinterpret_cast<int16_t*>(pcm) : full;
  const int32_t granule_values = 576 * MPState.channels;
  if (kMpeg1) {
    DecodeGranule(0, 0, channels, bit_pos, out);
    DecodeGranule(1, 1, channels, bit_pos, out + granule_values);
  } else {
    DecodeGranule(0, s.granule_toggle, channels, bit_pos, out);
    s.granule_toggle ^= 1;
  }
  if (!direct) MPConvertOutput(full, granule_values * (kMpeg1 ? 2 : 1), pcm);
  return result;
}

void SetBandLayout(const TMPAudioHeader& header) {
  TMPLayer3Stream& st = MPL3.stream;
  st.mpeg1 = header.id == 1;
  st.mpeg25 = header.sync_kind == 2;
  const int32_t rate_index = (st.mpeg1    ? 0
                              : st.mpeg25 ? 6
                                          : 3) +
                             std::clamp(header.sampling_frequency, 0, 2);
  const int16_t* bounds = kMPBandBoundaries[rate_index];
  for (int32_t b = 0; b < 23; ++b) st.long_start[b] = bounds[b];
  for (int32_t b = 0; b < 22; ++b) st.long_end[b] = bounds[b + 1];
  for (int32_t b = 0; b < 14; ++b) st.short_start[b] = bounds[23 + b];
  for (int32_t b = 0; b < 13; ++b) st.short_width[b] = bounds[24 + b] - bounds[23 + b];
  st.mixed_long_bands = st.mpeg1 ? 8 : 6;

  if (st.mpeg1) {
    st.long_clear = st.short_clear = 576;
  } else {
    st.long_clear = st.long_start[21];
    st.short_clear = 3 * st.short_start[12];
  }
  st.band_lines = std::min(st.long_clear + 8, 18 * MPState.band_limit);
  st.long_clear = std::min(st.long_clear, st.band_lines);
  // Short blocks come in window order (the three windows of a band one after another) until
  // they are reordered, so a line limit would cut the last window's high bands only, below the
  // band limit too. Their band limit applies after the reordering, in the hybrid filter.
  st.subbands = (st.band_lines + 17) / 18;
}

}  // namespace

int32_t MPLayer3Init(const TMPAudioHeader& header) {
  TMPLayer3State& s = MPL3;
  MPLayer3BuildTables();
  SetBandLayout(header);
  MPSetSamplesPerChannel(s.stream.mpeg1 ? 1152 : 576);
  MPLayer3SetFrameChannels(MPState.stream_channels);
  std::memset(s.spectrum, 0, sizeof s.spectrum);
  std::memset(s.nonzero, 0, sizeof s.nonzero);
  std::memset(s.hybrid, 0, sizeof s.hybrid);
  std::memset(s.hybrid2, 0, sizeof s.hybrid2);
  std::memset(s.scalefactors, 0, sizeof s.scalefactors);
  std::memset(s.reservoir, 0, sizeof s.reservoir);
  s.fill = 0;
  s.granule_toggle = 0;
  MPSynthReset();
  MPState.decode_frame = s.stream.mpeg1 ? DecodeFrame<true> : DecodeFrame<false>;
  return 1;
}
