// Program entry: one instance at a time, the game's music folder, then the main window.
#include "app/application.h"
#include "app/config/startup.h"
#include "app/main.h"
#include "app/qt_prompts.h"
#include "platform/program_path.h"

int main(int argc, char* argv[]) {
  TKorvaApplication application(argc, argv);
  TQtPrompts prompts;
  // Holds the single-instance lock until the program ends.
  const std::optional<TProgramStart> start = StartProgram(prompts);
  if (!start) return 0;
  TFormMain form({ProgramFilePath(), start->MusicFolder, &prompts});
  if (form.TerminationRequested()) return 0;
  form.show();
  return TKorvaApplication::exec();
}
