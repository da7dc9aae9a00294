#include "platform/ini_file.h"

#include <charconv>
#include <optional>

#include "platform/files.h"
#include "platform/text_compare.h"
#include "platform/text_file.h"

namespace {

constexpr std::string_view kBlanks = " \t";

std::string_view Trim(std::string_view text) {
  const std::size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  const std::size_t last = text.find_last_not_of(kBlanks);
  return text.substr(first, last - first + 1);
}

// The name of a section header line "[name]", or nullopt for any other line.
std::optional<std::string_view> SectionName(std::string_view line) {
  line = Trim(line);
  if (line.size() < 2 || line.front() != '[') return std::nullopt;
  const std::size_t close = line.find(']');
  if (close == std::string_view::npos) return std::nullopt;
  return Trim(line.substr(1, close - 1));
}

// Splits "key=value"; comment lines and lines without '=' are not keys.
bool SplitKey(std::string_view line, std::string_view& key, std::string_view& value) {
  const std::string_view trimmed = Trim(line);
  if (trimmed.empty() || trimmed.front() == ';') return false;
  const std::size_t eq = line.find('=');
  if (eq == std::string_view::npos) return false;
  key = Trim(line.substr(0, eq));
  value = Trim(line.substr(eq + 1));
  return true;
}

// Where a key lives in the file's lines.
struct TKeyLocation {
  std::optional<std::size_t> section;  // index of the section's header line
  std::optional<std::size_t> key;      // index of the key's line
  std::size_t insertAt = 0;            // after the section's last non-blank line
};

TKeyLocation Locate(const std::vector<std::string>& lines, const std::string& section,
                    const std::string& key) {
  TKeyLocation where;
  bool inSection = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (const auto name = SectionName(lines[i])) {
      if (inSection) break;  // The first section of that name is the one that counts.
      inSection = SameText(*name, section);
      if (inSection) where.section = where.insertAt = i;
      continue;
    }
    if (!inSection) continue;
    if (!Trim(lines[i]).empty()) where.insertAt = i;
    std::string_view k, v;
    if (!where.key && SplitKey(lines[i], k, v) && SameText(k, key)) where.key = i;
  }
  return where;
}

}  // namespace

std::optional<std::string> ReadIniValue(const std::vector<std::string>& lines,
                                        const std::string& section, const std::string& key) {
  const TKeyLocation where = Locate(lines, section, key);
  if (!where.key) return std::nullopt;
  std::string_view k, value;
  SplitKey(lines[*where.key], k, value);
  if (value.size() >= 2 && value.front() == value.back() &&
      (value.front() == '"' || value.front() == '\'')) {
    value = value.substr(1, value.size() - 2);
  }
  return std::string(value);
}

void WriteIniValue(std::vector<std::string>& lines, const std::string& section,
                   const std::string& key, const std::string& value) {
  const TKeyLocation where = Locate(lines, section, key);
  const std::string line = key + "=" + value;
  if (where.key) {
    lines[*where.key] = line;
  } else if (where.section) {
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(where.insertAt) + 1, line);
  } else {
    lines.push_back("[" + section + "]");
    lines.push_back(line);
  }
}

std::vector<std::string> TIniFile::ReadLines() const {
  try {
    return ReadTextLines(path_);
  } catch (const TFileError&) {
    return {};  // A missing or unreadable file reads as empty.
  }
}

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& defaultValue) const {
  return ReadIniValue(ReadLines(), section, key).value_or(defaultValue);
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key,
                          int defaultValue) const {
  const std::string text = ReadString(section, key, "");
  int value = 0;
  const char* end = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), end, value);
  return (ec == std::errc() && ptr == end && !text.empty()) ? value : defaultValue;
}

void TIniFile::WriteString(const std::string& section, const std::string& key,
                           const std::string& value) {
  std::vector<std::string> lines = ReadLines();
  WriteIniValue(lines, section, key, value);
  WriteTextLines(path_, lines, TTextEncoding::tenCodePageOrUtf8);
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
  WriteString(section, key, std::to_string(value));
}
