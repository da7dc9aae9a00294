// The synthesis slot loops of Layers I and II. Their subband samples come subband by subband,
// the slots of each side by side (see layer12_frame.h).
#include <algorithm>
#include <cstdint>

#include "mp3player/compo/decoder/layer12.h"
#include "mp3player/compo/decoder/layer12_frame.h"
#include "mp3player/compo/decoder/routines.h"

namespace {

constexpr int32_t kRightChannel = 32 * kMPLayer12RowSlots;

// One output channel from the stream's channel `kChannel` (a single-channel stream, or the left
// or right channel of a two-channel stream).
template <int32_t kChannel>
void OneChannel(const float* samples, int32_t slots, int16_t* pcm) {
  TMPSynthState& synth = MPState.synth;
  synth.pos[0] = MPSynthSlots(samples + kChannel * kRightChannel, kMPLayer12RowSlots, slots, true,
                              synth.ring[0], synth.pos[0], MPRoutines.window_mono, pcm, 32);
}

// Two output channels, interleaved; the two rings advance together on the first ring's
// position. The right channel's values start `kRight` floats after the left ones: kRightChannel
// for a two-channel frame, 0 for a single-channel frame of a stereo output, which sounds in both
// channels and keeps both rings continuous for the two-channel frames around it.
template <int32_t kRight>
void BothChannels(const float* samples, int32_t slots, int16_t* pcm) {
  TMPSynthState& synth = MPState.synth;
  const int32_t pos = synth.pos[0];
  MPSynthSlots(samples, kMPLayer12RowSlots, slots, true, synth.ring[0], pos,
               MPRoutines.window_stereo, pcm, 64);
  synth.pos[0] = MPSynthSlots(samples + kRight, kMPLayer12RowSlots, slots, true, synth.ring[1],
                              pos, MPRoutines.window_stereo, pcm + 1, 64);
}

// Both channels averaged into one. The average bypasses the subband equalizer.
void MixToMono(const float* samples, int32_t slots, int16_t* pcm) {
  TMPSynthState& synth = MPState.synth;
  alignas(32) float mixed[kRightChannel];
  for (int32_t i = 0; i < kRightChannel; ++i)
    mixed[i] = (samples[i] + samples[kRightChannel + i]) * 0.5f;
  synth.pos[0] = MPSynthSlots(mixed, kMPLayer12RowSlots, slots, false, synth.ring[0], synth.pos[0],
                              MPRoutines.window_mono, pcm, 32);
}

}  // namespace

TMPLayer12SlotLoop MPLayer12ChooseSlotLoop(int32_t frame_channels, int32_t output_channels,
                                           int32_t convert_code) {
  if (frame_channels == 1) return output_channels == 2 ? BothChannels<0> : OneChannel<0>;
  if (output_channels == 2) return BothChannels<kRightChannel>;
  // A two-channel frame in a single-channel stream is mixed as if mixing had been asked for.
  switch (std::max(convert_code & 3, 1)) {
    case 1:
      return MixToMono;
    case 2:
      return OneChannel<0>;
    case 3:
      return OneChannel<1>;
    default:
      return MixToMono;
  }
}
