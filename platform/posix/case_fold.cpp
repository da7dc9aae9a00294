#include <locale.h>
#include <wctype.h>

#include "platform/text_compare.h"

namespace {

// The C library's Unicode case tables, taken from a UTF-8 locale of its own so that the
// program's global locale does not matter.
locale_t UnicodeLocale() {
  static const locale_t locale = [] {
    for (const char* name : {"C.UTF-8", "C.utf8", "en_US.UTF-8"}) {
      if (locale_t l = newlocale(LC_CTYPE_MASK, name, static_cast<locale_t>(0))) return l;
    }
    return static_cast<locale_t>(0);
  }();
  return locale;
}

}  // namespace

char32_t FoldChar(char32_t cp) {
  if (cp < 0x80) return (cp >= 'A' && cp <= 'Z') ? cp + ('a' - 'A') : cp;
  const locale_t locale = UnicodeLocale();
  if (!locale || cp > 0x10FFFF) return cp;
  // Upper then lower case gives simple case folding for all but a handful of characters; the
  // round trip also joins variants such as final sigma and the long s with their plain letters.
  const wint_t upper = towupper_l(static_cast<wint_t>(cp), locale);
  return static_cast<char32_t>(towlower_l(upper, locale));
}
