// Layer I and Layer II frames up to dequantised subband samples at 16-bit PCM scale.
#pragma once

#include <cstdint>

#include "mp3player/compo/decoder/frame_header.h"
#include "mp3player/compo/decoder/layer12_tables.h"

// The subband sample array: channel c, subband k, slot s at (c * 32 + k) * kMPLayer12RowSlots +
// s. Each subband's slots lie side by side for the synthesis, which reads whole batches of
// slots: the rows are padded, the padding staying zero.
inline constexpr int kMPLayer12RowSlots = 40;
inline constexpr int kMPLayer12SampleValues = 2 * 32 * kMPLayer12RowSlots;
inline constexpr int kMPLayer1Slots = 12;
inline constexpr int kMPLayer2Slots = 36;

// What a Layer I or II stream keeps from its first header.
struct TMPLayer12Stream {
  int layer = 0;        // 1 or 2.
  int channels = 0;     // Channels in the stream, 1 or 2.
  int subbands = 0;     // Subbands the stream carries: 32 in Layer I, by table in Layer II.
  int band_limit = 0;   // Subbands decoded; the samples of the others are skipped.
  int frame_bytes = 0;  // Frame length without the padding slot.
  const TMPLayer2AllocTable* alloc = nullptr;  // Layer II only.
};

// Prepares `stream` for the Layer I or II stream of `header` whose frames are `frame_bytes` long
// without padding, decoding at most `band_limit` subbands. Returns false for an MPEG-2.5 header,
// a reserved sampling frequency and a Layer II bit rate and mode that have no allocation table.
bool MPLayer12Setup(TMPLayer12Stream& stream, const TMPAudioHeader& header, int frame_bytes,
                    int band_limit);

// Decodes the frame at `frame` into `samples` (kMPLayer12SampleValues floats; every subband of
// every slot of the layout's channels is written, those not decoded as 0) with the layout
// `stream`, which must be that of the frame's mode and bit rate. Returns the bytes the frame takes
// (its length plus the padding slot), or 0 when the frame does not start with a sync.
// Reads no further than the length the frame's own header gives with its padding (in free
// format: no further than the length returned).
int32_t MPLayer12ReadFrame(const TMPLayer12Stream& stream, const uint8_t* frame, float* samples);
