#pragma once

#include <string_view>

// The PCM of a WAV file: its format and a view of its sample bytes inside the file's bytes.
struct TWavePcm {
  int SampleRate = 0;
  int Channels = 0;
  int BitsPerSample = 0;
  std::string_view Data;
};

// Reads a RIFF/WAVE file with 8-bit or 16-bit linear PCM in one or two channels. Anything else
// raises std::runtime_error with a message that says what is wrong. A data chunk that claims
// more bytes than the file holds is cut to what is there.
TWavePcm ParseWave(std::string_view file);
