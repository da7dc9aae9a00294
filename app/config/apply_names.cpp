#include "app/config/apply_names.h"

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
  if (safe.size() > kMaxStemBytes) {
    std::size_t cut = kMaxStemBytes;
    // Back to the first byte of a character.
    while (cut > 0 && (static_cast<unsigned char>(safe[cut]) & 0xC0) == 0x80) --cut;
    safe.resize(cut);
  }
  safe += ".mp3";
  // An empty stem would leave the table line without its name field.
  if (safe.size() == 4) safe.insert(0, "_");
  return safe;
}

void TTakenNames::Add(const std::string& path) { folded_.insert(FoldCase(ExtractFileName(path))); }

bool TTakenNames::Contains(const std::string& name) const {
  return folded_.contains(FoldCase(name));
}

std::string TTakenNames::TakeFree(const std::string& name) {
  std::string candidate = name;
  if (Contains(candidate)) {
    const std::string stem = ChangeFileExt(name, "");
    int& n = nextNumber_.try_emplace(FoldCase(stem), 2).first->second;
    for (;; ++n) {
      candidate = stem + std::to_string(n) + ".mp3";
      if (!Contains(candidate)) break;
    }
  }
  Add(candidate);
  return candidate;
}

std::string EarlierCopyKey(const std::string& name, int64_t size) {
  std::string stem = FoldCase(ChangeFileExt(name, ""));
  while (!stem.empty() && stem.back() >= '0' && stem.back() <= '9') stem.pop_back();
  return stem + "/" + std::to_string(size);
}
