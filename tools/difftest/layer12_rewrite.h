// Layer I and II frames taken apart into allocations, scale factors and sample values, and put
// together again: the bits are written afresh for whatever allocations, scale factor selections
// and joint-stereo bound the frame then has.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/difftest/mutation_choices.h"

struct TL12Frame {
  uint8_t header[4] = {};
  int layer = 2;  // 1 or 2.
  int channels = 2;
  int mode = 0;
  int mode_extension = 0;
  int table = -1;  // Layer II allocation table.
  int subbands = 32;
  int bytes = 0;                   // Frame length with padding.
  int alloc[2][32] = {};           // Allocation values as coded; 0 = none.
  int scfsi[2][32] = {};           // Layer II.
  int scalefactor[2][32][3] = {};  // Per part (Layer I: the first).
  int sample[2][32][36] = {};      // Centred values; subbands past the bound hold the same in both.
};

bool ParseLayer12(const std::vector<uint8_t>& stream, std::vector<TL12Frame>& frames);
void MutateLayer12(std::vector<TL12Frame>& frames, TMutationChoices& choices);
// Writes the frames; a frame whose bits exceed its length is written as `fallback` has it.
bool WriteLayer12(const std::vector<TL12Frame>& frames, const std::vector<TL12Frame>& fallback,
                  std::vector<uint8_t>& stream);
