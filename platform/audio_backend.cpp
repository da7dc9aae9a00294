#include <cstdlib>
#include <string_view>

#include "platform/audio_device.h"

IAudioBackend& DefaultAudioBackend() {
  const char* choice = std::getenv("KORVA_AUDIO");
  if (choice != nullptr && std::string_view(choice) == "null") return NullAudioBackend();
  return SystemAudioBackend();
}
