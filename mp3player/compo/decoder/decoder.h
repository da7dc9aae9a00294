// The MPEG audio decoder: one process-wide decoder that turns whole MPEG audio frames (Layers
// I, II and III of MPEG-1, MPEG-2 and MPEG-2.5) into signed 16-bit little-endian PCM. It is not
// re-entrant: one stream at a time, driven by one thread at a time.
#pragma once

#include <atomic>
#include <cstdint>

#include "mp3player/compo/decoder/cpu.h"
#include "mp3player/compo/decoder/frame_header.h"

// The decoder's output description, filled by MPDecodeInit.
struct TMPDecodeInfo {
  int32_t channels = 0;          // Output channels, 1 or 2.
  int32_t values_per_frame = 0;  // PCM values per decoded frame, all channels together.
  int32_t sample_rate = 0;       // Output rate in Hz.
  int32_t bits_per_sample = 0;   // 16 (8 only on request).
  int32_t frame_bytes = 0;       // The frame length given to MPDecodeInit, without padding.
  int32_t type = 0;              // Always 0.
};

// The result of one frame: bytes of the frame consumed (0 = frame rejected) and PCM bytes
// written.
struct TMPDecodeResult {
  int32_t in_bytes = 0;
  int32_t out_bytes = 0;
};

// The largest PCM output of one frame in bytes (1152 stereo 16-bit samples).
constexpr int32_t kMPMaxPcmBytes = 1152 * 2 * 2;

// Prepares the decoder for the stream of `header`, whose frames are `frame_bytes` long without
// padding. `reduction_code` (0..2) halves the output rate that often, `transform_code` is
// ignored, `convert_code` bits 0..1 choose the channel conversion (0 keep, 1 mix to mono, 2 left
// only, 3 right only) and bit 3 asks for 8-bit output, `freq_limit` (Hz, at least 1000) bounds
// the decoded bandwidth. Returns 1, or 0 for a header the decoder cannot decode. Resets the
// reservoir and all overlap and synthesis history; keeps the equalizer and the polarity.
int32_t MPDecodeInit(const TMPAudioHeader& header, int32_t frame_bytes, int32_t reduction_code,
                     int32_t transform_code, int32_t convert_code, int32_t freq_limit);

// Copies the current output description.
void MPGetDecodeInfo(TMPDecodeInfo& info);

// Decodes the whole frame at `bytes` (header included; the caller guarantees that the frame with
// its padding is present) into `pcm`, which must hold kMPMaxPcmBytes. A rejected frame gives
// {0, 0} and leaves the PCM to the caller.
TMPDecodeResult MPDecodeFrame(const uint8_t* bytes, uint8_t* pcm);

// A value that one thread may write while another reads it, with no order to other memory: the
// equalizer's gains and switches, which the player changes while a frame decodes. A frame may
// so see a mix of old and new gains, which is harmless; each value itself is never torn.
template <typename T>
class TMPRelaxed {
 public:
  TMPRelaxed() = default;
  TMPRelaxed(const TMPRelaxed&) = delete;
  TMPRelaxed& operator=(const TMPRelaxed&) = delete;
  operator T() const { return value_.load(std::memory_order_relaxed); }
  TMPRelaxed& operator=(T value) {
    value_.store(value, std::memory_order_relaxed);
    return *this;
  }

 private:
  std::atomic<T> value_{};
};

// Equalizer: subband gain `i` (0..31), frequency-line gain `i` (0..575) and the two on/off
// words (0 = off). The player writes them from its own thread while frames decode.
TMPRelaxed<float>* MPSubbandGain(int32_t i);
TMPRelaxed<float>* MPFreqGain(int32_t i);
TMPRelaxed<int32_t>* MPSubbandEqEnabled();
TMPRelaxed<int32_t>* MPFreqEqEnabled();

// Inverts the output's polarity (negates the synthesis window) when `on` differs from the
// current state; MPGetInvertPolarity returns the state, 0 or 1.
void MPSetInvertPolarity(int32_t on);
int32_t MPGetInvertPolarity();
