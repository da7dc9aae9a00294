// Program entry: one instance at a time, the game's music folder, then the main window.
#include <QApplication>

#include "app/main.h"
#include "app/qt_prompts.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationDisplayName(QStringLiteral("Korva"));
  TQtPrompts prompts;
  TFormMain form({QCoreApplication::applicationFilePath().toStdString(), &prompts});
  if (form.TerminationRequested()) return 0;
  form.show();
  return QApplication::exec();
}
