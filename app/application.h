#pragma once

#include <QApplication>

// The program's application object. An error that no handler dealt with ends the operation
// that raised it and is shown with its text; the program goes on.
class TKorvaApplication : public QApplication {
 public:
  TKorvaApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
};

// The general error display: a message box with the error's text.
void ShowApplicationError(const char* text);
