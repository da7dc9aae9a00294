// The Xing and VBRI headers that a variable-bit-rate stream carries in its first frame.
#pragma once

#include <cstdint>

#include "mp3player/compo/decoder/frame_header.h"

// What a Xing or VBRI header frame says of the stream; 0 where it says nothing.
struct TMPVbrHeader {
  bool found = false;
  uint32_t frames = 0;  // Frames of audio, the header frame included.
  int32_t bytes = 0;    // Bytes of audio, the header frame included.
};

// Reads the Xing or VBRI header of the first frame, `size` bytes at `frame`, never past them.
TMPVbrHeader MPReadVbrHeader(const uint8_t* frame, int32_t size, const TMPAudioHeader& header);
