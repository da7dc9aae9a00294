#include "platform/text_file.h"

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/utf8.h"

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

}  // namespace

std::string DecodeText(std::string_view bytes) {
  if (bytes.starts_with(kUtf8Bom)) return ValidUtf8(bytes.substr(kUtf8Bom.size()));
  // Code-page text is tried first: much of it (half-width katakana above all) happens to be
  // well-formed UTF-8 too, and reading it as UTF-8 would change the names it holds.
  if (std::optional<std::string> text = StrictCodePageToUtf8(bytes)) return std::move(*text);
  if (IsValidUtf8(bytes)) return std::string(bytes);
  return CodePageToUtf8(bytes);
}

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    lines.emplace_back(text.substr(start, i - start));
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
    start = i + 1;
  }
  if (start < text.size()) lines.emplace_back(text.substr(start));
  return lines;
}

std::vector<std::string> ReadTextLines(const std::string& path) {
  return SplitLines(DecodeText(ReadRegularFile(path, kMaxTextFileBytes)));
}

std::string EncodeTextLines(const std::vector<std::string>& lines, TTextEncoding encoding) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  // No code-page character begins with the bytes of the byte-order mark, so code-page text is
  // never taken for UTF-8 when it is read again.
  if (std::optional<std::string> encoded = Utf8ToCodePage(text)) return *encoded;
  if (encoding == TTextEncoding::tenCodePageOnly) {
    throw TFileError("text has characters without a form in the code page");
  }
  return std::string(kUtf8Bom) + text;
}

void WriteTextLines(const std::string& path, const std::vector<std::string>& lines,
                    TTextEncoding encoding) {
  std::string bytes;
  try {
    bytes = EncodeTextLines(lines, encoding);
  } catch (const TFileError& e) {
    throw TFileError(path + ": " + e.what());
  }
  WriteFileAtomic(path, bytes);
}
