// Layer III: state and steps shared by the Layer III units (bitstream, requantisation, stereo,
// hybrid filterbank). Internal to the decoder.
#pragma once

#include <cstdint>

#include "mp3player/compo/decoder/big_endian.h"
#include "mp3player/compo/decoder/decoder_state.h"

// Layer III initialisation for MPDecodeInit.
int32_t MPLayer3Init(const TMPAudioHeader& header);

// Side information of one granule and channel.
struct TMPGranuleInfo {
  int32_t part2_3_length;
  int32_t big_values;
  int32_t global_gain;
  int32_t scalefac_compress;
  int32_t window_switching_flag;
  int32_t block_type;
  int32_t mixed_block_flag;
  int32_t table_select[3];
  int32_t subblock_gain[3];
  int32_t region0_count;
  int32_t region1_count;
  int32_t preflag;
  int32_t scalefac_scale;
  int32_t count1table_select;
};

// Scale factors of a channel: 23 long values, then 3 windows of 13 short values.
struct TMPScaleFactors {
  int32_t l[23];
  int32_t s[3][13];
};

// Where a channel's nonzero values lie after requantisation, for stereo processing.
struct TMPChannelBands {
  int32_t block_type;
  int32_t mixed;               // The mixed flag, for any block type.
  int32_t block_kind;          // 0: long bands only, 1: a short part is present.
  int32_t last_long_band;      // Last long band holding a nonzero line, -1 for none.
  int32_t last_short_band[3];  // The same per short window.
  int32_t max_short_band;
  int32_t first_short_band;  // 0 short, 3 mixed, 12 long.
  int32_t long_bands;        // 22 long, 8 or 6 mixed, 0 short.
};

// For the intensity-coded right channel of MPEG-2: per band the largest value its scale factor
// can take, which marks an illegal intensity position, and the intensity scale.
struct TMPIntensityLayout {
  int32_t long_illegal[23];
  int32_t short_illegal[13];
  int32_t intensity_scale;
};

// The stream's band layout and limits (set at initialisation).
struct TMPLayer3Stream {
  bool mpeg1 = true;
  bool mpeg25 = false;
  int32_t long_end[22];  // Line after each long band.
  int32_t long_start[23];
  int32_t short_start[14];  // Lines of one window.
  int32_t short_width[13];
  int32_t mixed_long_bands = 8;
  int32_t band_lines = 576;   // Lines decoded (short blocks: after reordering).
  int32_t long_clear = 576;   // Lines of long blocks from which on the spectrum is cleared.
  int32_t short_clear = 576;  // The same for short blocks, in window order.
  int32_t subbands = 32;      // Subbands with data.
  int32_t gain_offset = 0;    // -4 (half gain) when both channels are mixed into one.
};

// Channel-transform routine: hybrid filter and synthesis of the granule's channels into PCM.
using TMPChannelTransform = void (*)(int32_t slot, int16_t* pcm);

// Huffman work area with guard room for the bit reader, and the reservoir.
constexpr int32_t kMPReservoirSize = 8192;
constexpr int32_t kMPReservoirGuard = 4096;

struct TMPLayer3State {
  TMPLayer3Stream stream;
  TMPChannelTransform transform = nullptr;  // For frames of frame_channels channels.
  int32_t frame_channels = 0;

  // Frame.
  int32_t mode = 0;
  int32_t mode_extension = 0;
  bool lsf_scalefactors = false;  // The frame's id asks for the MPEG-2 scale factor decoding.
  int32_t main_data_begin = 0;
  int32_t scfsi[2] = {};
  TMPGranuleInfo granule[2][2];  // [granule][channel].
  TMPScaleFactors scalefactors[2];
  TMPIntensityLayout intensity;
  TMPChannelBands bands[2];

  // Spectra: [channel][granule slot][line]; the slot not being decoded holds the overlap.
  alignas(32) float spectrum[2][2][576];
  int32_t nonzero[2][2] = {};
  int32_t granule_toggle = 0;
  alignas(32) float values[576];  // Huffman output: each value's power v * |v|^(1/3).
  alignas(32) float reorder[576];
  // Hybrid output, subband by subband (index = subband * 18 + slot), padded so that the vector
  // synthesis may read a whole batch of slots past the last subband's end.
  alignas(32) float hybrid[576 + kMPSynthSlotPadding];
  alignas(32) float hybrid2[576];

  // Main data reservoir.
  alignas(8) uint8_t reservoir[kMPReservoirSize + kMPReservoirGuard];
  int32_t fill = 0;
};

extern TMPLayer3State MPL3;

// Tables built at initialisation.
struct TMPLayer3Tables {
  float global_gain[262];
  float scalefactor[2][4][32];
  float subblock_gain[8];
  // x * |x|^(1/3) at x + 8206, for the whole range of Huffman values.
  float power[2 * 8206 + 1];
  float alias_cs[8];
  float alias_ca[8];
  float intensity1[2][8][2];
  float intensity2[2][2][64][2];  // [intensity_scale][M/S][is_pos][left, right].
  float imdct_window[4][36];
  // The 36-point IMDCT with each long window applied: [window][line][output], outputs 0..17 to
  // be overlapped and 18..35 the new overlap, rows padded for eight-lane loads.
  alignas(32) float imdct36_windowed[4][18][40];
  float cos36[18][24];  // [k][n], rows padded for vector loads.
  float cos12[6][8];
};

extern TMPLayer3Tables MPL3Tables;

void MPLayer3BuildTables();

// The four slen values of an MPEG-2 channel's scale factors from its scalefac_compress (for the
// intensity-coded right channel: the intensity layout) and their row of the nr_of_sfb table;
// `preflag` is set by the values from 500 on.
int32_t MPLayer3Mpeg2Slen(int32_t compress, bool intensity_right, int32_t slen[4],
                          int32_t& preflag);

// The granule steps (layer3_*.cpp).
void MPLayer3ScaleFactors(const uint8_t* base, int32_t& bit_pos, int32_t granule, int32_t channel);
// Reads the big values and count1 of a channel starting at `bit_pos` (ending at `end_pos`) into
// MPL3.values; returns the nonzero line count, or -1 when the data ran past its end.
int32_t MPLayer3Huffman(const uint8_t* base, int32_t bit_pos, int32_t end_pos,
                        const TMPGranuleInfo& gi);
// Requantises MPL3.values into `out` and records the channel's bands; returns the new nonzero
// count.
int32_t MPLayer3Requantise(const TMPGranuleInfo& gi, int32_t channel, int32_t nonzero, float* out);
void MPLayer3Stereo(int32_t slot);
void MPLayer3AliasAndEq(int32_t slot, int32_t channels);
// The 36-point IMDCT's last step: the DCT-IV `z` of the subband's lines arranged, windowed and
// overlapped into `out` and the new overlap.
void MPImdct36Finish(const float* z, float* lines, const float* overlap, float* out,
                     int32_t window_type);
// Chooses the channel-transform routine and the global gain offset for frames of
// `frame_channels` channels. Every frame plays in the output layout chosen at initialisation:
// a single-channel frame of a stereo output sounds in both channels, a two-channel frame of a
// single-channel output is mixed (or gives the channel the conversion asks for).
void MPLayer3SetFrameChannels(int32_t frame_channels);

// Bit reader A: reads MSB first at bit position `pos` of `base`, n <= 25 bits. It loads four
// bytes (MPBitWindow eight), so the buffers it reads keep guard bytes after their data.
inline uint32_t MPPeekBits(const uint8_t* base, int32_t pos, int32_t n) {
  if (n == 0) return 0;
  const uint8_t* p = base + (pos >> 3);
  const uint32_t word =
      (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | uint32_t{p[3]};
  return (word << (pos & 7)) >> (32 - n);
}

// The next 57 or more bits at `pos`, most significant first; needs eight bytes after `pos`.
inline uint64_t MPBitWindow(const uint8_t* base, int32_t pos) {
  return MPLoadBigEndian64(base + (pos >> 3)) << (pos & 7);
}

inline uint32_t MPReadBits(const uint8_t* base, int32_t& pos, int32_t n) {
  const uint32_t v = MPPeekBits(base, pos, n);
  pos += n;
  return v;
}
