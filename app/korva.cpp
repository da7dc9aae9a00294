// Program entry: one instance at a time, the game's music folder, then the main window.
#include "app/application.h"
#include "app/config/config_names.h"
#include "app/config/startup.h"
#include "app/config/user_folders.h"
#include "app/game_folder_picker.h"
#include "app/main.h"
#include "app/qt_prompts.h"
#include "platform/data_folders.h"
#include "platform/files.h"
#include "platform/program_path.h"
#ifndef _WIN32
#include "app/quit_signals.h"
#endif

int main(int argc, char* argv[]) {
  TKorvaApplication application(argc, argv);
  TQtPrompts prompts;
  // Holds the single-instance lock until the program ends.
  const std::optional<TProgramStart> start = StartProgram(prompts, IniFileName(), PickGameFolder);
  if (!start) return 0;
  CopyDataFromProgramFolder(ProgramFolder(), ChangeFileExt(ProgramFilePath(), ".ini"),
                            UserDataFolder(), IniFileName());
  // Kept only now: the copy of older settings above runs only while there is no settings file.
  if (!start->PickedGameFolder.empty()) StoreGameFolder(IniFileName(), start->PickedGameFolder);
  TFormMain form(
      {UserDataFolder(), IniFileName(), SceneLabelFileName(), start->MusicFolder, &prompts});
  if (form.TerminationRequested()) return 0;
  form.show();
#ifndef _WIN32
  CloseOnQuitSignals(form);
#endif
  return TKorvaApplication::exec();
}
