// Layers I and II inside the decoder: their initialisations for MPDecodeInit and the synthesis
// slot loops that turn their subband samples into PCM. Internal to the decoder.
#pragma once

#include <cstdint>

#include "mp3player/compo/decoder/decoder_state.h"

// Layer I and Layer II initialisations for MPDecodeInit: 1, or 0 for a Layer II stream whose
// bit rate and mode have no allocation table.
int32_t MPLayer1Init(const TMPAudioHeader& header);
int32_t MPLayer2Init(const TMPAudioHeader& header);

// Synthesis of `slots` time slots of the Layer I/II subband sample array (see layer12_frame.h)
// into PCM, in one of the output arrangements.
using TMPLayer12SlotLoop = void (*)(const float* samples, int32_t slots, int16_t* pcm);

// The slot loop for a frame of `frame_channels` channels played into `output_channels` with the
// channel conversion of `convert_code` (bits 0..1: 0 keep, 1 mix to mono, 2 left only, 3 right
// only). A single-channel frame of a stereo output sounds in both channels; a two-channel frame
// of a single-channel stream is mixed.
TMPLayer12SlotLoop MPLayer12ChooseSlotLoop(int32_t frame_channels, int32_t output_channels,
                                           int32_t convert_code);
