#include "app/window_font.h"

#include <QStringList>

namespace {

const QString kDesignedFamily = QStringLiteral("ＭＳ Ｐゴシック");

// Proportional Japanese fonts that Debian packages install, most similar first.
void RegisterSubstitutes() {
  static const bool registered = [] {
    QFont::insertSubstitutions(
        kDesignedFamily, {QStringLiteral("IPAPGothic"), QStringLiteral("IPAexGothic"),
                          QStringLiteral("Noto Sans CJK JP"), QStringLiteral("IPAGothic"),
                          QStringLiteral("VL PGothic"), QStringLiteral("Droid Sans Fallback")});
    return true;
  }();
  (void)registered;
}

}  // namespace

QFont WindowFont() {
  RegisterSubstitutes();
  QFont font(kDesignedFamily);
  font.setPixelSize(12);
  return font;
}
