// Mutated streams for differential testing: real frames of a clean MPEG audio stream whose
// side information is rewritten (Layer III: block type and mixed flag, mode extension, scfsi,
// preflag, scalefac_scale, count1table_select, table_select, region counts, global gain and scale
// factors; Layers I/II: allocations, scale factor selection and indices, the joint-stereo bound)
// while the stream stays valid: the rest of each frame is coded afresh to match.
#pragma once

#include <cstdint>
#include <vector>

#include "tools/difftest/layer12_rewrite.h"
#include "tools/difftest/layer3_rewrite.h"
#include "tools/difftest/mutation_choices.h"

class TStreamMutator {
 public:
  // Takes the stream apart, keeping at most `max_frames` frames. False when it is no clean
  // Layer I, II or III stream.
  bool Parse(const std::vector<uint8_t>& stream, size_t max_frames);

  // A valid stream from the parsed frames with side information rewritten as `choices` decide;
  // empty when the frames cannot be written.
  std::vector<uint8_t> Mutate(TMutationChoices& choices) const;

 private:
  std::vector<TL3Frame> layer3_;
  std::vector<TL12Frame> layer12_;
};
