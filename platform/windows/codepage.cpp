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

}  // namespace

std::string CodePageToUtf8(std::string_view cp932) {
  // Without MB_ERR_INVALID_CHARS the system turns undecodable bytes into U+FFFD itself.
  bool ok;
  return Narrow(CP_UTF8, Widen(kCodePage, 0, cp932, ok), nullptr);
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
