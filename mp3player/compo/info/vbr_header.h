// The Xing and VBRI headers that a variable-bit-rate stream carries in its first frame.
#pragma once

#include <cstdint>

#include "mp3player/compo/decoder/frame_header.h"

// What a Xing, "Info" or VBRI header frame says of the stream; 0 where it says nothing. The
// header frame itself holds no audio.
struct TMPVbrHeader {
  bool found = false;
  bool constant = false;  // LAME's "Info": the bit rate is constant.
  uint32_t frames = 0;    // Frames of audio, the header frame not counted.
  int32_t bytes = 0;      // Bytes of the stream, the header frame included.
};

// Reads the Xing, "Info" or VBRI header of the first frame, `size` bytes at `frame`, never past
// them.
TMPVbrHeader MPReadVbrHeader(const uint8_t* frame, int32_t size, const TMPAudioHeader& header);

// Samples per channel that one frame of this header decodes to.
int32_t MPSamplesPerFrame(const TMPAudioHeader& header);

// The playing time in milliseconds of a stream whose first frame has `header`: exact from the
// frame count of `vbr` when it has one, else `audio_bytes` (the audio data behind a header
// frame) at the first frame's bit rate. 0 when neither tells.
int64_t MPStreamDurationMs(const TMPAudioHeader& header, const TMPVbrHeader& vbr,
                           int64_t audio_bytes);
