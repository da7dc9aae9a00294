#include <cctype>

#include "platform/files.h"
#include "platform/install_dir.h"
#include "platform/text_compare.h"
#include "platform/text_file.h"
#include "platform/utf8.h"

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Undoes the escapes of a quoted registry string starting after its opening quote: \\ \" \n \r
// \t \0 and \xHHHH (a UTF-16 code unit, surrogate pairs joined). Stops at the closing quote.
std::string Unescape(std::string_view text) {
  std::string out;
  char16_t highSurrogate = 0;
  for (std::size_t i = 0; i < text.size() && text[i] != '"'; ++i) {
    if (text[i] != '\\' || i + 1 == text.size()) {
      out += text[i];
      continue;
    }
    const char c = text[++i];
    if (c != 'x') {
      out += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c == '0' ? '\0' : c;
      continue;
    }
    char32_t unit = 0;
    int digits = 0;
    while (digits < 4 && i + 1 < text.size() && HexDigit(text[i + 1]) >= 0) {
      unit = unit * 16 + HexDigit(text[++i]);
      ++digits;
    }
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      highSurrogate = static_cast<char16_t>(unit);
    } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
      if (highSurrogate)
        AppendUtf8(out, 0x10000 + ((highSurrogate - 0xD800) << 10) + (unit - 0xDC00));
      highSurrogate = 0;
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out;
}

// The key name of a section line "[Software\\X\\Y] 1234", with its doubled backslashes undone.
std::optional<std::string> KeyOfLine(const std::string& line) {
  if (line.empty() || line.front() != '[') return std::nullopt;
  const std::size_t close = line.rfind(']');
  if (close == std::string::npos) return std::nullopt;
  std::string key;
  const std::string_view inner(line.data() + 1, close - 1);
  for (std::size_t i = 0; i < inner.size(); ++i) {
    if (inner[i] == '\\' && i + 1 < inner.size() && inner[i + 1] == '\\') ++i;
    key += inner[i];
  }
  return key;
}

// The value's text when the line assigns a string ("name"="text" or "name"=str(2):"text").
std::optional<std::string> StringValueOfLine(const std::string& line, const std::string& name) {
  if (line.empty() || line.front() != '"') return std::nullopt;
  const std::string quotedName = "\"" + name + "\"=";
  if (line.size() < quotedName.size() || !SameText(line.substr(0, quotedName.size()), quotedName)) {
    return std::nullopt;
  }
  std::string_view rest(line);
  rest.remove_prefix(quotedName.size());
  if (rest.starts_with("str(2):")) rest.remove_prefix(7);
  if (!rest.starts_with('"')) return std::nullopt;
  return Unescape(rest.substr(1));
}

std::optional<std::string> FindValue(const std::vector<std::string>& lines, const std::string& key,
                                     const std::string& value) {
  bool inKey = false;
  bool found = false;
  for (const std::string& line : lines) {
    if (const auto k = KeyOfLine(line)) {
      if (inKey) break;
      inKey = SameText(*k, key);
      found = found || inKey;
      continue;
    }
    if (!inKey) continue;
    if (auto text = StringValueOfLine(line, value)) return text;
  }
  if (found) return std::string();
  return std::nullopt;
}

}  // namespace

std::optional<std::string> ReadWineRegistryString(const std::string& systemReg,
                                                  const std::string& key,
                                                  const std::string& value) {
  std::vector<std::string> lines;
  try {
    lines = ReadTextLines(systemReg);
  } catch (const TFileError&) {
    return std::nullopt;
  }
  // A 64-bit prefix keeps what 32-bit programs write to SOFTWARE under Wow6432Node.
  constexpr std::string_view kSoftware = "SOFTWARE\\";
  if (key.size() > kSoftware.size() && SameText(key.substr(0, kSoftware.size()), kSoftware)) {
    const std::string wow = "Software\\Wow6432Node\\" + key.substr(kSoftware.size());
    if (auto text = FindValue(lines, wow, value)) return text;
  }
  return FindValue(lines, key, value);
}
