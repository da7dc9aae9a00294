#include "mp3player/compo/exception_display.h"

#include <cstdio>
#include <mutex>

namespace {

std::mutex& DisplayMutex() {
  static std::mutex mutex;
  return mutex;
}

TMPExceptionDisplay& Display() {
  static TMPExceptionDisplay display;
  return display;
}

}  // namespace

void MPSetExceptionDisplay(TMPExceptionDisplay display) {
  std::lock_guard<std::mutex> lock(DisplayMutex());
  Display() = std::move(display);
}

void MPShowException(const std::exception& error) {
  TMPExceptionDisplay display;
  {
    std::lock_guard<std::mutex> lock(DisplayMutex());
    display = Display();
  }
  if (display) {
    display(error);
  } else {
    std::fprintf(stderr, "%s\n", error.what());
  }
}
