// The process-wide decoder state shared by the layers and the synthesis. Internal to the
// decoder: the player uses decoder.h.
#pragma once

#include <cstdint>

#include "mp3player/compo/decoder/decoder.h"
#include "mp3player/compo/decoder/routines.h"

// Decodes one whole frame into PCM; installed by the layer's initialisation.
using TMPFrameDecoder = TMPDecodeResult (*)(const uint8_t* bytes, uint8_t* pcm);

// A layer's initialisation, called by MPDecodeInit after the common settings (reduction, band
// limit, output channels) are in MPState. It selects its frame decoder and slot loop, sets the
// samples per channel through MPSetSamplesPerChannel, resets the synthesis and returns 1, or 0
// when it cannot decode the stream.
using TMPLayerInit = int32_t (*)(const TMPAudioHeader& header);

// Synthesis history: per channel a ring of the last 16 DCT outputs of 32 values, plus a
// mirror of its first 32 values at 512..543 so that the vectorised windowing can read runs
// that cross the end without wrapping.
struct TMPSynthState {
  alignas(32) float ring[2][544];
  int32_t pos[2];
};

struct TMPDecoderState {
  // Stream parameters (MPDecodeInit).
  int32_t frame_bytes = 0;
  int32_t reduction = 0;
  int32_t convert = 0;
  int32_t freq_limit = 24000;
  int32_t sample_rate = 0;  // The stream's rate in Hz (MPEG-2.5: the real, halved rate).
  int32_t band_limit = 0;   // Subbands decoded.
  int32_t channels = 0;     // Output channels.
  int32_t stream_channels = 0;
  int32_t bits = 16;
  int32_t values_per_frame = 0;
  int32_t pcm_bytes = 0;
  int32_t half_pcm_bytes = 0;
  uint8_t silent_value = 0;
  TMPFrameDecoder decode_frame = nullptr;

  TMPSynthState synth;

  // Equalizer and polarity, kept across streams.
  TMPRelaxed<float> subband_gain[32];
  TMPRelaxed<int32_t> subband_eq_on;
  TMPRelaxed<float> freq_gain[576];
  TMPRelaxed<int32_t> freq_eq_on;
  int32_t invert_polarity = 0;
};

extern TMPDecoderState MPState;

// Sets the samples per channel per frame (before the reduction shift) and derives the output
// description.
void MPSetSamplesPerChannel(int32_t samples);

// Fills the frame's PCM with the silent value.
void MPWriteSilence(uint8_t* pcm);

// Turns `full_values` values of full-rate 16-bit PCM into the requested output (rate reduced
// by dropping samples, or 8-bit) in `pcm`.
void MPConvertOutput(const int16_t* full, int32_t full_values, uint8_t* pcm);

// Synthesis (synth.cpp).
void MPSynthReset();
// Synthesis of `slots` slots of 32 subband values, value k of slot t at in[k * subband_step + t],
// through `ring` from write position `pos`: slot t's 32 samples go through `window` to
// pcm + t * pcm_step. The slots up to MPSynthPaddedSlots(slots) must be readable (routines.h).
// The subband equalizer acts when `equalize` is set and the equalizer is on. Returns the next
// write position.
int32_t MPSynthSlots(const float* in, int32_t subband_step, int32_t slots, bool equalize,
                     float* ring, int32_t pos, TMPWindowRoutine window, int16_t* pcm,
                     int32_t pcm_step);
// Layer III slot loops: 18 slots of the hybrid output (subband * 18 + slot) into
// mono PCM, or into channel `channel` of interleaved stereo PCM.
void MPSynthLayer3Mono(const float* hybrid, int16_t* pcm);
void MPSynthLayer3Stereo(const float* hybrid, int32_t channel, int16_t* pcm);
