// Runs the widget tests inside a QApplication on the offscreen platform, so they need no display.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "tests/platform/scoped_env.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Korva"));
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
