#include "app/application.h"

#include <QMessageBox>
#include <QStyle>
#include <exception>

TKorvaApplication::TKorvaApplication(int& argc, char** argv) : QApplication(argc, argv) {
  // The title of message boxes. It is not a display name, which Qt would append to the main
  // window's own title.
  setApplicationName(QStringLiteral("Korva"));
  setWindowIcon(style()->standardIcon(QStyle::SP_MediaVolume));
}

// Qt cannot carry an exception through its event loop, so it is caught where the event was
// delivered.
bool TKorvaApplication::notify(QObject* receiver, QEvent* event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const std::exception& error) {
    ShowApplicationError(error.what());
  }
  return false;
}

void ShowApplicationError(const char* text) {
  QMessageBox::critical(QApplication::activeWindow(), QApplication::applicationName(),
                        QString::fromUtf8(text));
}
