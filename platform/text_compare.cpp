#include "platform/text_compare.h"

#include <algorithm>

#include "platform/utf8.h"

namespace {

// Decodes text into folded code points; a byte that is not part of valid UTF-8 is kept as
// 0x110000 + its value, above the Unicode range, so that it only ever matches the same byte.
std::u32string FoldedCodePoints(std::string_view text) {
  std::u32string out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    char32_t cp;
    if (DecodeUtf8(text, pos, cp)) {
      out += FoldChar(cp);
    } else {
      out += 0x110000 + static_cast<unsigned char>(text[pos++]);
    }
  }
  return out;
}

}  // namespace

std::string FoldCase(std::string_view utf8) {
  std::string out;
  for (const char32_t cp : FoldedCodePoints(utf8)) {
    if (cp > 0x10FFFF) {
      out += static_cast<char>(cp - 0x110000);
    } else {
      AppendUtf8(out, cp);
    }
  }
  return out;
}

bool SameText(std::string_view a, std::string_view b) {
  return FoldedCodePoints(a) == FoldedCodePoints(b);
}

bool MatchesWildcard(std::string_view name, std::string_view pattern) {
  const std::u32string n = FoldedCodePoints(name);
  const std::u32string p = FoldedCodePoints(pattern);
  // Greedy matching with one backtrack point: the position after the last '*' seen.
  std::size_t ni = 0, pi = 0, starP = std::u32string::npos, starN = 0;
  while (ni < n.size()) {
    if (pi < p.size() && (p[pi] == U'?' || p[pi] == n[ni])) {
      ++ni, ++pi;
    } else if (pi < p.size() && p[pi] == U'*') {
      starP = pi++;
      starN = ni;
    } else if (starP != std::u32string::npos) {
      pi = starP + 1;
      ni = ++starN;
    } else {
      return false;
    }
  }
  while (pi < p.size() && p[pi] == U'*') ++pi;
  return pi == p.size();
}

void SortNames(std::vector<std::string>& names) {
  std::vector<std::pair<std::u32string, std::string>> keyed;
  keyed.reserve(names.size());
  for (std::string& name : names) keyed.emplace_back(FoldedCodePoints(name), std::move(name));
  std::sort(keyed.begin(), keyed.end());
  for (size_t i = 0; i < names.size(); ++i) names[i] = std::move(keyed[i].second);
}
