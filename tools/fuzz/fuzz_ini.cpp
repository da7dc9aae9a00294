// Arbitrary bytes as the settings file or the scene-label file. The values the program reads
// are looked up; setting one must make it read back as set and leave the others as they were.

#include <cstddef>
#include <cstdint>

#include "platform/ini_file.h"
#include "platform/text_file.h"
#include "tools/fuzz/fuzz_check.h"

namespace {

// Keys of both files: the settings' volume and window bounds, and scene labels by row.
constexpr const char* kKeys[] = {"Volume", "Left", "FileColumnName", "0", "1", "31"};
constexpr char kSection[] = "DEFAULT";

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::vector<std::string> lines = SplitLines(DecodeText(bytes));
  std::vector<std::optional<std::string>> before;
  for (const char* key : kKeys) before.push_back(ReadIniValue(lines, kSection, key));
  WriteIniValue(lines, kSection, kKeys[1], "-12");
  for (std::size_t i = 0; i < std::size(kKeys); ++i) {
    const std::optional<std::string> after = ReadIniValue(lines, kSection, kKeys[i]);
    FuzzCheck(i == 1 ? after == "-12" : after == before[i], "setting a key changes just that key");
  }
  return 0;
}
