#include "app/quit_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QApplication>
#include <QSocketNotifier>
#include <QWidget>
#include <cerrno>

namespace {

int quitPipe[2] = {-1, -1};

void OnQuitSignal(int) {
  const int savedErrno = errno;
  const char byte = 1;
  // A full pipe already holds a request, so a failed write loses nothing.
  [[maybe_unused]] const ssize_t written = write(quitPipe[1], &byte, 1);
  errno = savedErrno;
}

void CloseWindows(QWidget& window) {
  char buffer[64];
  while (read(quitPipe[0], buffer, sizeof buffer) > 0) {
  }
  // A modal dialog runs an event loop of its own inside the window's code; it is dismissed first
  // so that this code returns to the program's loop, which ends with the window.
  while (QWidget* modal = QApplication::activeModalWidget()) {
    if (!modal->close()) break;
  }
  window.close();
}

}  // namespace

void CloseOnQuitSignals(QWidget& window) {
  if (quitPipe[0] < 0 && pipe2(quitPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  auto* notifier = new QSocketNotifier(quitPipe[0], QSocketNotifier::Read, &window);
  QObject::connect(notifier, &QSocketNotifier::activated, &window,
                   [&window] { CloseWindows(window); });
  struct sigaction action {};
  action.sa_handler = OnQuitSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}
