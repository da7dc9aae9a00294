#include "tools/difftest/stream_mutator.h"

bool TStreamMutator::Parse(const std::vector<uint8_t>& stream, size_t max_frames) {
  layer3_.clear();
  layer12_.clear();
  if (stream.size() < 4) return false;
  const bool layer3 = ((stream[1] >> 1) & 3) == 1;
  if (layer3 ? !ParseLayer3(stream, layer3_) : !ParseLayer12(stream, layer12_)) return false;
  if (layer3_.size() > max_frames) layer3_.resize(max_frames);
  if (layer12_.size() > max_frames) layer12_.resize(max_frames);
  return true;
}

std::vector<uint8_t> TStreamMutator::Mutate(TMutationChoices& choices) const {
  std::vector<uint8_t> out;
  if (!layer3_.empty()) {
    std::vector<TL3Frame> frames = layer3_;
    MutateLayer3(frames, choices);
    if (!WriteLayer3(frames, layer3_, out)) out.clear();
  } else {
    std::vector<TL12Frame> frames = layer12_;
    MutateLayer12(frames, choices);
    if (!WriteLayer12(frames, layer12_, out)) out.clear();
  }
  return out;
}
