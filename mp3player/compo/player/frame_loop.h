// The player's way through the frames of an MPEG audio stream: the first frame found by its
// sync, each further frame checked against the first one's header, garbage skipped a byte at a
// time, the decoder started on the first good frame and every frame decoded to PCM (a frame the
// decoder rejects plays as one frame of silence). A Xing or VBRI header in the first frame is
// read and the frame skipped, since it holds no audio.
#pragma once

#include <cstdint>

#include "mp3player/compo/decoder/decoder.h"
#include "mp3player/compo/info/vbr_header.h"

class TMPStreamReader;

class TMPFrameLoop {
 public:
  // Result of Step besides PCM bytes.
  static constexpr int32_t kSkipped = 0;  // A byte that begins no frame was skipped.
  static constexpr int32_t kEnd = -1;     // The audio data is used up.

  // Bytes searched for a frame: at open, and between two frames before the data counts as
  // ended.
  static constexpr int32_t kSearchLimit = 4096;

  // Opens the audio data of `reader`, which stands at its start; the data is `audio_size` bytes
  // long. Finds the first frame within kSearchLimit bytes (one that the next frame's header
  // confirms), skips to it and starts the decoder on it, then past a Xing, "Info" or VBRI header
  // frame, whose byte count may end the data earlier. Returns false when there is no frame the
  // decoder can decode. `audio_size` may be TMP3Info::kUnknownSize.
  bool Open(TMPStreamReader& reader, int32_t audio_size);

  // Reads and decodes the next frame into `pcm` (kMPMaxPcmBytes) and returns the PCM bytes, or
  // kSkipped or kEnd.
  int32_t Step(uint8_t* pcm);

  // Starts the decoder afresh on the next frame (after a stop or a seek).
  void Restart() {
    need_restart_ = true;
    frame_size_ = 0;
  }
  // Forgets the header read at the reader's position (after the reader moved), keeping the
  // decoder's state.
  void ForgetFrame() { frame_size_ = 0; }
  // Moves the reader past the next frame, crossing at most kSearchLimit bytes before it, as
  // playback does; false when there is none or it does not lie whole inside the audio data.
  // Leaves the decoder alone.
  bool StepOverFrame();

  const TMPDecodeInfo& Info() const { return info_; }
  const TMPAudioHeader& Header() const { return header_; }  // Of the first frame.
  int32_t Bitrate() const { return bitrate_; }              // Of the first frame, bits per second.
  const TMPVbrHeader& Vbr() const { return vbr_; }
  int32_t AudioStart() const { return audio_start_; }
  int32_t AudioSize() const { return audio_size_; }
  int32_t PcmBytesPerFrame() const { return info_.values_per_frame * info_.bits_per_sample / 8; }

  // The frame check: the length with padding of the frame whose header is at `bytes`, or <= 0
  // when it is no frame of this stream.
  int32_t CheckFrame(const uint8_t* bytes) const;

 private:
  int32_t FindFirstFrame(int32_t available);
  bool IsFollowedByFrame(int32_t at, int32_t length);
  bool StartDecoder(const uint8_t* bytes);
  bool SkipVbrHeader();
  int32_t SkipByte();
  int32_t EndMark();

  TMPStreamReader* reader_ = nullptr;
  int32_t audio_start_ = 0;
  int32_t audio_size_ = 0;
  uint32_t reference_ = 0;  // The first frame's header, read little-endian.
  int32_t free_size_ = 0;   // Free format: the measured frame length without padding.
  int32_t frame_size_ = 0;
  int32_t skipped_ = 0;
  bool need_restart_ = true;
  TMPDecodeInfo info_;
  TMPAudioHeader header_;
  int32_t bitrate_ = 0;
  TMPVbrHeader vbr_;
};
