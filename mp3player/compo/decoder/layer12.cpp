// Layer I and Layer II initialisation and frame decoding: the frame's subband samples (see
// layer12_frame.h) go through the slot loop chosen for the output arrangement.
#include "mp3player/compo/decoder/layer12.h"

#include <algorithm>
#include <iterator>

#include "mp3player/compo/decoder/layer12_frame.h"

namespace {

struct TMPLayer12State {
  TMPAudioHeader header;  // The first frame's.
  TMPLayer12Stream stream;
  // The layout of the last frame whose channels or bit rate differed from the first frame's; the
  // keys recognise frames of each layout.
  TMPLayer12Stream changed;
  int32_t changed_key = -1;
  int32_t stream_key = -1;
  int32_t frame_channels = 0;  // Of the last frame decoded.
  int32_t slots = 0;
  alignas(32) float samples[kMPLayer12SampleValues];
};

TMPLayer12State L12;

static_assert(kMPLayer12RowSlots >= MPSynthPaddedSlots(kMPLayer2Slots),
              "the synthesis reads whole batches of slots");

// Whether the frame is single channel, and its bit rate index: they decide its layout.
int32_t LayoutKey(int32_t mode, int32_t bitrate_index) {
  return (mode == 3 ? 1 : 0) | bitrate_index << 1;
}

// The layout of the frame at `bytes`: the stream's, or for a frame whose mode or bit rate
// changed (a single-channel frame in a stereo stream, say) its own; nullptr when the standard
// defines no allocation table for it.
const TMPLayer12Stream* FrameLayout(const uint8_t* bytes) {
  const int32_t key = LayoutKey(bytes[3] >> 6, bytes[2] >> 4);
  if (key == L12.stream_key) return &L12.stream;
  if (key != L12.changed_key) {
    TMPAudioHeader header = L12.header;  // Version, layer and rate are the stream's.
    header.mode = bytes[3] >> 6;
    header.bitrate_index = bytes[2] >> 4;
    L12.changed_key = -1;
    if (!MPLayer12Setup(L12.changed, header, L12.stream.frame_bytes, MPState.band_limit))
      return nullptr;
    L12.changed_key = key;
  }
  return &L12.changed;
}

TMPDecodeResult DecodeFrame(const uint8_t* bytes, uint8_t* pcm) {
  if (bytes[0] != 0xFF || (bytes[1] & 0xF0) != 0xF0) return {};
  const TMPLayer12Stream* layout = FrameLayout(bytes);
  if (!layout) return {};
  const int32_t in_bytes = MPLayer12ReadFrame(*layout, bytes, L12.samples);
  if (in_bytes == 0) return {};
  // A change of channel count starts the synthesis afresh, as a new stream would.
  if (layout->channels != L12.frame_channels) MPSynthReset();
  L12.frame_channels = layout->channels;
  // Full-rate 16-bit output goes straight to the caller; other forms are converted from it.
  const bool direct = MPState.reduction == 0 && MPState.bits == 16;
  alignas(16) int16_t full[kMPLayer2Slots * 32 * 2];
  const TMPLayer12SlotLoop slot_loop =
      MPLayer12ChooseSlotLoop(layout->channels, MPState.channels, MPState.convert);
  slot_loop(L12.samples, L12.slots, direct ? reinterpret_cast<int16_t*>(pcm) : full);
  if (!direct) MPConvertOutput(full, L12.slots * 32 * MPState.channels, pcm);
  return {in_bytes, MPState.pcm_bytes};
}

int32_t Init(const TMPAudioHeader& header, int32_t slots) {
  if (!MPLayer12Setup(L12.stream, header, MPState.frame_bytes, MPState.band_limit)) return 0;
  L12.header = header;
  L12.stream_key = LayoutKey(header.mode, header.bitrate_index);
  L12.changed_key = -1;
  L12.frame_channels = L12.stream.channels;
  L12.slots = slots;
  std::fill(std::begin(L12.samples), std::end(L12.samples), 0.0f);
  MPSetSamplesPerChannel(slots * 32);
  MPSynthReset();
  MPState.decode_frame = DecodeFrame;
  return 1;
}

}  // namespace

int32_t MPLayer1Init(const TMPAudioHeader& header) { return Init(header, kMPLayer1Slots); }

int32_t MPLayer2Init(const TMPAudioHeader& header) { return Init(header, kMPLayer2Slots); }
