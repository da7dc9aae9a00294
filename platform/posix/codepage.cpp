#include "platform/codepage.h"

#include <errno.h>
#include <iconv.h>

#include <stdexcept>

#include "platform/utf8.h"

namespace {

// An iconv conversion descriptor. Opening one costs far more than converting a line of text, so
// each thread keeps one per direction (a descriptor must not be shared between threads), and
// every conversion starts from the initial shift state.
class TIconv {
 public:
  TIconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) {
      throw std::runtime_error(std::string("code page conversion not available: ") + from + " to " +
                               to);
    }
  }
  ~TIconv() { iconv_close(cd_); }
  TIconv(const TIconv&) = delete;
  TIconv& operator=(const TIconv&) = delete;

  // Converts as much as possible into out. Returns 0 at the end of the input, otherwise the
  // errno that stopped it (EILSEQ or EINVAL) with in and left at the offending bytes.
  int Convert(char*& in, std::size_t& left, std::string& out) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char buffer[1024];
    while (left > 0) {
      char* dst = buffer;
      std::size_t room = sizeof buffer;
      const std::size_t rc = iconv(cd_, &in, &left, &dst, &room);
      out.append(buffer, dst - buffer);
      if (rc == static_cast<std::size_t>(-1) && errno != E2BIG) return errno;
    }
    return 0;
  }

 private:
  iconv_t cd_;
};

constexpr char kCodePage[] = "CP932";
constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

TIconv& CodePageToUtf8Converter() {
  thread_local TIconv conv("UTF-8", kCodePage);
  return conv;
}

TIconv& Utf8ToCodePageConverter() {
  thread_local TIconv conv(kCodePage, "UTF-8");
  return conv;
}

// Converts code-page bytes to UTF-8; an undecodable byte becomes U+FFFD, or, when strict, ends
// the conversion with nullopt.
std::optional<std::string> Decode(std::string_view cp932, bool strict) {
  TIconv& conv = CodePageToUtf8Converter();
  std::string input(cp932);
  char* in = input.data();
  std::size_t left = input.size();
  std::string out;
  out.reserve(input.size() * 3 / 2);
  while (conv.Convert(in, left, out) != 0) {
    if (strict) return std::nullopt;
    // An undecodable byte (or a lead byte cut off at the end) stands for one unknown character;
    // skipping just that byte lets the next valid character through.
    out += kReplacement;
    ++in;
    --left;
  }
  return out;
}

}  // namespace

std::string CodePageToUtf8(std::string_view cp932) { return *Decode(cp932, false); }

std::optional<std::string> StrictCodePageToUtf8(std::string_view cp932) {
  return Decode(cp932, true);
}

std::optional<std::string> Utf8ToCodePage(std::string_view utf8) {
  if (!IsValidUtf8(utf8)) return std::nullopt;
  TIconv& conv = Utf8ToCodePageConverter();
  std::string input(utf8);
  char* in = input.data();
  std::size_t left = input.size();
  std::string out;
  if (conv.Convert(in, left, out) != 0) return std::nullopt;
  // Some characters convert one way only (U+301C becomes the byte pair that reads back as
  // U+FF5E); such a character has no faithful code-page form.
  if (CodePageToUtf8(out) != utf8) return std::nullopt;
  return out;
}
