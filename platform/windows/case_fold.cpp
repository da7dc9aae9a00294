#include <windows.h>

#include "platform/text_compare.h"

char32_t FoldChar(char32_t cp) {
  if (cp < 0x80) return (cp >= 'A' && cp <= 'Z') ? cp + ('a' - 'A') : cp;
  if (cp > 0xFFFF) return cp;  // No case pairs outside the basic plane matter for file names.
  // Upper then lower case, as the file system compares names (upper case) and as folding
  // joins letter variants.
  wchar_t c = static_cast<wchar_t>(cp);
  LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_UPPERCASE, &c, 1, &c, 1, nullptr, nullptr, 0);
  LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, &c, 1, &c, 1, nullptr, nullptr, 0);
  return static_cast<char32_t>(c);
}
