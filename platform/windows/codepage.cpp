#include "platform/codepage.h"

#include <windows.h>

namespace {

constexpr UINT kCodePage = 932;

std::wstring Widen(UINT codePage, DWORD flags, std::string_view text, bool& ok) {
  ok = true;
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int count = MultiByteToWideChar(codePage, flags, text.data(), size, nullptr, 0);
  if (count <= 0) {
    ok = false;
    return {};
  }
  std::wstring wide(count, L'\0');
  MultiByteToWideChar(codePage, flags, text.data(), size, wide.data(), count);
  return wide;
}

std::string Narrow(UINT codePage, const std::wstring& wide, BOOL* usedDefault) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int count =
      WideCharToMultiByte(codePage, 0, wide.data(), size, nullptr, 0, nullptr, usedDefault);
  std::string out(count > 0 ? count : 0, '\0');
  if (count > 0) {
    WideCharToMultiByte(codePage, 0, wide.data(), size, out.data(), count, nullptr, nullptr);
  }
  return out;
}

// Left to itself the system puts its default character "・" where bytes are no character, which
// reads like text; callers look for U+FFFD there (a name that cannot be written back, for one).
// So a text that does not convert whole goes character by character: a byte the system maps on
// its own (0x80, and 0xA0 and 0xFD to 0xFF to private-use characters) keeps that mapping, and
// anything else becomes U+FFFD, with the byte after a lead byte read again on its own.
std::wstring WidenEachCharacter(std::string_view text) {
  std::wstring wide;
  for (std::size_t i = 0; i < text.size();) {
    const bool lead = IsDBCSLeadByteEx(kCodePage, static_cast<BYTE>(text[i])) != 0;
    const std::size_t length = lead && i + 1 < text.size() ? 2 : 1;
    bool ok;
    const std::wstring whole = Widen(kCodePage, MB_ERR_INVALID_CHARS, text.substr(i, length), ok);
    if (ok) {
      wide += whole;
      i += length;
      continue;
    }
    const std::wstring single = Widen(kCodePage, 0, text.substr(i, 1), ok);
    wide += ok && single != L"\u30FB" ? single : L"\xFFFD";
    ++i;
  }
  return wide;
}

}  // namespace

std::string CodePageToUtf8(std::string_view cp932) {
  bool ok;
  std::wstring wide = Widen(kCodePage, MB_ERR_INVALID_CHARS, cp932, ok);
  if (!ok) wide = WidenEachCharacter(cp932);
  return Narrow(CP_UTF8, wide, nullptr);
}

std::optional<std::string> StrictCodePageToUtf8(std::string_view cp932) {
  bool ok;
  const std::wstring wide = Widen(kCodePage, MB_ERR_INVALID_CHARS, cp932, ok);
  if (!ok) return std::nullopt;
  return Narrow(CP_UTF8, wide, nullptr);
}

std::optional<std::string> Utf8ToCodePage(std::string_view utf8) {
  bool ok;
  const std::wstring wide = Widen(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, ok);
  if (!ok) return std::nullopt;
  BOOL usedDefault = FALSE;
  std::string out = Narrow(kCodePage, wide, &usedDefault);
  if (usedDefault || CodePageToUtf8(out) != utf8) return std::nullopt;
  return out;
}
