// The synthesis slot loops of Layers I and II. Their subband samples come in slots of 64 floats:
// the channels interleaved in two-channel streams, the 32 subbands contiguous in single-channel
// streams (see layer12_frame.h).
#include <algorithm>
#include <cstdint>

#include "mp3player/compo/decoder/layer12.h"
#include "mp3player/compo/decoder/layer12_frame.h"
#include "mp3player/compo/decoder/routines.h"

namespace {

// One output channel from the values `kStride` apart starting at `kFirst`: a single-channel
// stream (1, 0), or the left (2, 0) or right (2, 1) channel of a two-channel stream.
template <int32_t kStride, int32_t kFirst>
void OneChannel(const float* samples, int32_t slots, int16_t* pcm) {
  TMPSynthState& synth = MPState.synth;
  for (int32_t slot = 0; slot < slots; ++slot) {
    MPSynthDct(samples + slot * kMPLayer12SlotValues + kFirst, kStride, synth.ring[0],
               synth.pos[0]);
    MPRoutines.window_mono(synth.ring[0], synth.pos[0], pcm + 32 * slot);
    synth.pos[0] = (synth.pos[0] - 32) & 511;
  }
}

// Two output channels, interleaved; the two rings advance together on the first ring's
// position. The right channel's values start `kRight` floats after the left ones: 1 for a
// two-channel frame, 0 for a single-channel frame of a stereo output, which sounds in both
// channels and keeps both rings continuous for the two-channel frames around it.
template <int32_t kStride, int32_t kRight>
void BothChannels(const float* samples, int32_t slots, int16_t* pcm) {
  TMPSynthState& synth = MPState.synth;
  for (int32_t slot = 0; slot < slots; ++slot) {
    const float* in = samples + slot * kMPLayer12SlotValues;
    const int32_t pos = synth.pos[0];
    MPSynthDct(in, kStride, synth.ring[0], pos);
    MPSynthDct(in + kRight, kStride, synth.ring[1], pos);
    MPRoutines.window_stereo(synth.ring[0], pos, pcm + 64 * slot);
    MPRoutines.window_stereo(synth.ring[1], pos, pcm + 64 * slot + 1);
    synth.pos[0] = (pos - 32) & 511;
  }
}

// Both channels averaged into one. The average bypasses the subband equalizer.
void MixToMono(const float* samples, int32_t slots, int16_t* pcm) {
  TMPSynthState& synth = MPState.synth;
  for (int32_t slot = 0; slot < slots; ++slot) {
    const float* in = samples + slot * kMPLayer12SlotValues;
    float mixed[32];
    for (int32_t k = 0; k < 32; ++k) mixed[k] = (in[2 * k] + in[2 * k + 1]) * 0.5f;
    MPSynthDctPlain(mixed, synth.ring[0], synth.pos[0]);
    MPRoutines.window_mono(synth.ring[0], synth.pos[0], pcm + 32 * slot);
    synth.pos[0] = (synth.pos[0] - 32) & 511;
  }
}

}  // namespace

TMPLayer12SlotLoop MPLayer12ChooseSlotLoop(int32_t frame_channels, int32_t output_channels,
                                           int32_t convert_code) {
  if (frame_channels == 1) return output_channels == 2 ? BothChannels<1, 0> : OneChannel<1, 0>;
  if (output_channels == 2) return BothChannels<2, 1>;
  // A two-channel frame in a single-channel stream is mixed as if mixing had been asked for.
  switch (std::max(convert_code & 3, 1)) {
    case 1:
      return MixToMono;
    case 2:
      return OneChannel<2, 0>;
    case 3:
      return OneChannel<2, 1>;
    default:
      return MixToMono;
  }
}
