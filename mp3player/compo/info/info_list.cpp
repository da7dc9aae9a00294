#include "mp3player/compo/info/info_list.h"

#include <algorithm>

namespace {

char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiLower(x) == AsciiLower(y);
         });
}

}  // namespace

void TMPInfoList::Add(std::string_view name, std::string_view value) {
  std::string line;
  line.reserve(name.size() + 1 + value.size());
  line.append(name).append("=").append(value);
  lines_.push_back(std::move(line));
}

std::string TMPInfoList::Value(std::string_view name) const {
  for (const auto& line : lines_) {
    const auto eq = line.find('=');
    const std::string_view key = std::string_view(line).substr(0, eq);
    if (EqualsIgnoringCase(key, name)) {
      return eq == std::string::npos ? std::string() : line.substr(eq + 1);
    }
  }
  return {};
}
