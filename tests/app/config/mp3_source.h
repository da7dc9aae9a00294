#pragma once

#include <string>
#include <string_view>

#include "tests/platform/temp_dir.h"

// The bytes of a short real MP3 file (a song of the demo game, made with lame) followed by a
// marker: every source a test copies reads as MPEG audio, and its copy still tells which source
// it came from.
inline std::string Mp3Bytes(std::string_view marker) {
  static const std::string song = ReadBytes(KORVA_DEMO_DIR "/game/Music/Digital/opening.mp3");
  return song + std::string(marker);
}
