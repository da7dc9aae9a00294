// Layer III frames taken apart into side information, scale factors and quantised values, and
// put together again as a valid stream: the main data is Huffman-coded afresh with the tables
// and regions the side information names, and the frames are laid out anew in the bit
// reservoir, each with the smallest bit rate that holds it.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/difftest/mutation_choices.h"

struct TL3Granule {
  int big_values = 0;  // Recomputed when written.
  int global_gain = 0;
  int scalefac_compress = 0;
  int block_type = 0;  // 0 means no window switching.
  int mixed = 0;
  int table_select[3] = {};
  int subblock_gain[3] = {};
  int region0_count = 0;
  int region1_count = 0;
  int preflag = 0;  // Written in MPEG-1 only.
  int scalefac_scale = 0;
  int count1table_select = 0;
  int sf_long[22] = {};  // The scale factors in force (after scfsi).
  int sf_short[13][3] = {};
  int values[576] = {};
};

struct TL3Frame {
  uint8_t header[4] = {};  // Sync, version, layer and sampling frequency are kept.
  bool mpeg1 = true;
  int rate_index = 0;  // 0..8: MPEG-1, MPEG-2, MPEG-2.5 by three rates.
  int channels = 2;
  int mode = 0;
  int mode_extension = 0;
  int scfsi[2] = {};
  TL3Granule granule[2][2];
};

// Parses a clean Layer III stream (frames only). Frames whose main data lies before the stream's
// start are dropped. Returns false when nothing could be parsed.
bool ParseLayer3(const std::vector<uint8_t>& stream, std::vector<TL3Frame>& frames);

// Rewrites side-information fields of `frames` as `choices` decide.
void MutateLayer3(std::vector<TL3Frame>& frames, TMutationChoices& choices);

// Writes the frames as a stream; a frame that does not fit at the highest bit rate is written
// as `fallback` has it. Returns false when even that fails.
bool WriteLayer3(const std::vector<TL3Frame>& frames, const std::vector<TL3Frame>& fallback,
                 std::vector<uint8_t>& stream);
