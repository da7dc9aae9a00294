#pragma once

#include <cstdint>

// The decoded 4-byte MPEG audio frame header. The fields keep the order and the raw values of
// the bit stream so that the decoder, the player and the stream information reader all see the
// same thing.
struct TMPAudioHeader {
  int32_t sync_kind = 0;           // 1: 12-bit sync (MPEG-1/2), 2: 11-bit sync (MPEG-2.5), 0: none.
  int32_t id = 0;                  // 1: MPEG-1, 0: MPEG-2 or MPEG-2.5.
  int32_t layer_code = 0;          // 3: Layer I, 2: Layer II, 1: Layer III, 0: reserved.
  int32_t protection_bit = 0;      // 0: a 16-bit CRC follows the header.
  int32_t bitrate_index = 0;       // 0: free format, 15: invalid.
  int32_t sampling_frequency = 0;  // 0..2, 3 is reserved.
  int32_t padding_bit = 0;
  int32_t private_bit = 0;
  int32_t mode = 0;  // 0 stereo, 1 joint stereo, 2 dual channel, 3 single channel.
  int32_t mode_extension = 0;
  int32_t rights_flag = 0;
  int32_t home_flag = 0;
  int32_t emphasis = 0;
};

// Parses the 4 bytes at `bytes` into `header` and returns the frame length in bytes without the
// padding slot, or a value <= 0 when the bytes are no valid header. `length` is the number of
// bytes available from `bytes` (at least 4 are always read); it matters only for free format,
// whose frame size is measured from the headers that follow, and is clamped to 10000.
int32_t MPParseHeader(const uint8_t* bytes, int32_t length, TMPAudioHeader& header);

// Finds the first frame sync in bytes[0..length) that has a whole header after it, stores its
// position in `offset`, parses the header there and stores the bit rate in bits per second in
// `bitrate`. Returns what MPParseHeader returns, or 0 (leaving `offset` and `bitrate` alone)
// when there is no sync.
int32_t MPFindSync(const uint8_t* bytes, int32_t length, TMPAudioHeader& header, int32_t& bitrate,
                   int32_t& offset);

// Bit rate in kbit/s from the standard tables for `id` (1 MPEG-1, 0 MPEG-2/2.5), `layer_code`
// (3 Layer I, 2 Layer II, 1 Layer III) and `bitrate_index`; 0 for free format, the invalid
// index 15 and a reserved layer.
int32_t MPBitrateKbps(int32_t id, int32_t layer_code, int32_t bitrate_index);

// Sampling rate in Hz of a header's `id`, `sync_kind` and `sampling_frequency`; 0 for the
// reserved index 3.
int32_t MPSampleRateHz(int32_t id, int32_t sync_kind, int32_t sampling_frequency);

// The bytes that the padding bit adds to a frame: 4 in Layer I, 1 otherwise, 0 without padding.
int32_t MPPaddingBytes(const TMPAudioHeader& header);
