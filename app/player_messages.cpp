#include "app/player_messages.h"

#include <string_view>

std::string PlayerErrorMessage(const std::exception& error) {
  // The wave output ends its texts with the operation that failed, "(TSoundOut.<operation>)";
  // an error of its worker thread reaches here as that text alone.
  const std::string_view text = error.what();
  if (!text.ends_with(')') || text.find("(TSoundOut.") == std::string_view::npos) {
    return std::string(text);
  }
  const char* advice = text.ends_with("(TSoundOut.Open:WaveOutOpen)") ? kMsgSoundDeviceNotOpened
                                                                      : kMsgSoundDeviceFailed;
  return std::string(advice) + "\n" + std::string(text);
}
