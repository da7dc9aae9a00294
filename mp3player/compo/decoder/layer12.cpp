// Layer I and Layer II initialisation and frame decoding: the frame's subband samples (see
// layer12_frame.h) go through the slot loop chosen for the output arrangement.
#include "mp3player/compo/decoder/layer12.h"

#include <algorithm>
#include <iterator>

#include "mp3player/compo/decoder/layer12_frame.h"

namespace {

struct TMPLayer12State {
  TMPLayer12Stream stream;
  TMPLayer12SlotLoop slot_loop = nullptr;
  int32_t slots = 0;
  alignas(32) float samples[kMPLayer12SampleValues];
};

TMPLayer12State L12;

static_assert(kMPLayer12RowSlots >= MPSynthPaddedSlots(kMPLayer2Slots),
              "the synthesis reads whole batches of slots");

TMPDecodeResult DecodeFrame(const uint8_t* bytes, uint8_t* pcm) {
  const int32_t in_bytes = MPLayer12ReadFrame(L12.stream, bytes, L12.samples);
  if (in_bytes == 0) return {};
  // Full-rate 16-bit output goes straight to the caller; other forms are converted from it.
  const bool direct = MPState.reduction == 0 && MPState.bits == 16;
  alignas(16) int16_t full[kMPLayer2Slots * 32 * 2];
  L12.slot_loop(L12.samples, L12.slots, direct ? reinterpret_cast<int16_t*>(pcm) : full);
  if (!direct) MPConvertOutput(full, L12.slots * 32 * MPState.channels, pcm);
  return {in_bytes, MPState.pcm_bytes};
}

int32_t Init(const TMPAudioHeader& header, int32_t slots) {
  if (!MPLayer12Setup(L12.stream, header, MPState.frame_bytes, MPState.band_limit)) return 0;
  L12.slots = slots;
  L12.slot_loop = MPLayer12ChooseSlotLoop(L12.stream.channels, MPState.convert);
  std::fill(std::begin(L12.samples), std::end(L12.samples), 0.0f);
  MPSetSamplesPerChannel(slots * 32);
  MPSynthReset();
  MPState.decode_frame = DecodeFrame;
  return 1;
}

}  // namespace

int32_t MPLayer1Init(const TMPAudioHeader& header) { return Init(header, kMPLayer1Slots); }

int32_t MPLayer2Init(const TMPAudioHeader& header) { return Init(header, kMPLayer2Slots); }
