#include "mp3player/compo/info/tag_text.h"

#include <charconv>

#include "platform/codepage.h"
#include "platform/utf8.h"

namespace {

std::string_view TrimFixedWidth(std::string_view bytes) {
  bytes = bytes.substr(0, bytes.find('\0'));
  while (!bytes.empty() && static_cast<uint8_t>(bytes.back()) <= 32) bytes.remove_suffix(1);
  return bytes;
}

}  // namespace

std::string FixedWidthText(std::string_view bytes) { return RawText(TrimFixedWidth(bytes)); }

std::string TextAfterLastNul(std::string_view bytes) {
  if (bytes.size() >= 2) {
    const auto nul = bytes.substr(0, bytes.size() - 1).rfind('\0');
    if (nul != std::string_view::npos) bytes.remove_prefix(nul + 1);
  }
  return FixedWidthText(bytes);
}

std::string RawText(std::string_view bytes) { return CodePageToUtf8(bytes); }

std::string Utf16Text(std::string_view bytes, bool bigEndian) {
  const size_t units = bytes.size() / 2;
  bool big_endian = bigEndian;
  auto unit = [&](size_t i) -> char32_t {
    const auto lo = static_cast<uint8_t>(bytes[2 * i + (big_endian ? 1 : 0)]);
    const auto hi = static_cast<uint8_t>(bytes[2 * i + (big_endian ? 0 : 1)]);
    return static_cast<char32_t>(hi << 8 | lo);
  };
  size_t i = 0;
  if (units > 0 && unit(0) == 0xFFFE) big_endian = !big_endian;
  if (units > 0 && unit(0) == 0xFEFF) i = 1;
  std::string out;
  for (; i < units; ++i) {
    char32_t cp = unit(i);
    if (cp == 0) break;
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < units && unit(i + 1) >= 0xDC00 &&
        unit(i + 1) <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    AppendUtf8(out, cp);
  }
  return out;
}

int32_t DecimalValue(std::string_view text) {
  int32_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return 0;
  return value;
}

int32_t ID3v2SizeField(std::string_view header) {
  int32_t size = 0;
  for (size_t i = 6; i < 10; ++i) size = size * 128 + static_cast<uint8_t>(header[i]);
  return size;
}

bool ID3v2HasFooter(std::string_view header) {
  constexpr uint8_t kFooterFlag = 0x10;
  return header[3] == 4 && (static_cast<uint8_t>(header[5]) & kFooterFlag);
}
