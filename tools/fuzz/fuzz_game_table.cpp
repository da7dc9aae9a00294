// Arbitrary bytes as the game's music table (Config.txt or Config.org). Every line is read, and
// the scene read from a line must come back the same from the line Apply writes for it.

#include <cstddef>
#include <cstdint>

#include "app/config/game_table.h"
#include "platform/text_file.h"
#include "tools/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  for (const std::string& line : SplitLines(DecodeText(bytes))) {
    const std::optional<TTableEntry> entry = ParseTableLine(line);
    if (!entry) continue;
    const auto again = ParseTableLine(FormatTableLine(entry->Scene, entry->Name, entry->Loop));
    FuzzCheck(again && again->Scene == entry->Scene && again->Name == entry->Name &&
                  again->Loop == entry->Loop,
              "a written table line reads back as the scene it was made from");
  }
  return 0;
}
