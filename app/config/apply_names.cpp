#include "app/config/apply_names.h"

#include <algorithm>

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/text_compare.h"
#include "platform/utf8.h"

namespace {

bool MustReplace(char32_t cp) {
  constexpr std::u32string_view kUnsafe = U" ,\"\\/:";
  if (cp <= 0x20 || cp == 0x7F || kUnsafe.find(cp) != std::u32string_view::npos) return true;
  std::string utf8;
  AppendUtf8(utf8, cp);
  return !Utf8ToCodePage(utf8).has_value();
}

}  // namespace

bool IsPlainFileName(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("\\/:") == std::string::npos;
}

std::string TableSafeFileName(const std::string& sourceName) {
  std::string safe;
  std::size_t pos = 0;
  while (pos < sourceName.size()) {
    char32_t cp;
    if (!DecodeUtf8(sourceName, pos, cp)) {
      ++pos;  // A byte that is no character at all.
      safe += '_';
    } else if (MustReplace(cp)) {
      safe += '_';
    } else {
      AppendUtf8(safe, cp);
    }
  }
  // The table names files without their extension and the game adds ".mp3" in lower case.
  const std::string ext = safe.size() >= 4 ? safe.substr(safe.size() - 4) : std::string();
  if (SameText(ext, ".mp3")) safe.resize(safe.size() - 4);
  safe += ".mp3";
  // An empty stem would leave the table line without its name field.
  if (safe.size() == 4) safe.insert(0, "_");
  return safe;
}

std::string FirstFreeFileName(const std::string& name, const std::vector<std::string>& taken) {
  const auto isTaken = [&](const std::string& candidate) {
    return std::any_of(taken.begin(), taken.end(), [&](const std::string& t) {
      return SameText(ExtractFileName(t), candidate);
    });
  };
  if (!isTaken(name)) return name;
  const std::string stem = ChangeFileExt(name, "");
  for (int n = 2;; ++n) {
    const std::string candidate = stem + std::to_string(n) + ".mp3";
    if (!isTaken(candidate)) return candidate;
  }
}
