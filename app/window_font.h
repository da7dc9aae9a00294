#pragma once

#include <QFont>

// The font the windows are designed in: "ＭＳ Ｐゴシック" at 12 pixels. Where that font is not
// installed, Qt substitutes a Japanese font of the system, so the Japanese captions still render.
QFont WindowFont();
