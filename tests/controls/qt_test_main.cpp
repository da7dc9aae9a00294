#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "tests/platform/scoped_env.h"

// Widget tests run without a display: Qt draws into memory.
int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
