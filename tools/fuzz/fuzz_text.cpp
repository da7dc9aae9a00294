// Arbitrary bytes as a text file Korva reads (playlists, the game's table, the ini files). The
// decoding must give well-formed UTF-8, the lines read must read back the same once Korva writes
// them, and the code page conversion must give back what it was given, in both directions.

#include <cstddef>
#include <cstdint>

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/text_file.h"
#include "tools/fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string text = DecodeText(bytes);
  FuzzCheck(IsValidUtf8(text), "decoded text is UTF-8");
  const std::vector<std::string> lines = SplitLines(text);
  const std::string written = EncodeTextLines(lines, TTextEncoding::tenCodePageOrUtf8);
  FuzzCheck(SplitLines(DecodeText(written)) == lines, "written lines read back the same");
  if (const auto codePage = Utf8ToCodePage(text)) {
    FuzzCheck(CodePageToUtf8(*codePage) == text, "code-page form converts back");
  }
  if (const auto utf8 = StrictCodePageToUtf8(bytes)) {
    FuzzCheck(CodePageToUtf8(bytes) == *utf8, "valid code-page text converts without loss");
  }
  return 0;
}
