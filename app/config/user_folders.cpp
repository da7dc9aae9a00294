#include "app/config/user_folders.h"

#include <filesystem>

#include "app/config/config_names.h"
#include "platform/files.h"

namespace {

// Where the program folder is itself the person's folder (a writable Windows install, or
// KORVA_DATA_DIR pointing at it) there is nothing to copy.
bool SameFolder(const std::string& a, const std::string& b) {
  // Paths are UTF-8 inside, which Windows' narrow paths are not.
  const auto path = [](const std::string& text) { return std::u8string(text.begin(), text.end()); };
  std::error_code error;
  return std::filesystem::equivalent(path(a), path(b), error);
}

// A playlist whose file name is not valid text stays where it is (it is copied, never moved),
// so the copy has nothing to tell the person.
class TSilentPrompts : public IPrompts {
 public:
  void ShowMessage(const std::string&) override {}
  TPromptAnswer Ask(const std::string&, TPromptIcon, TPromptButtons) override {
    return TPromptAnswer::pcaCancel;
  }
  void SetBusy(bool) override {}
};

bool CopyPlaylists(const std::string& programFolder, const std::string& dataFolder) {
  if (SameFolder(programFolder, dataFolder)) return true;
  bool copied = true;
  TSilentPrompts silent;
  for (const std::string& name : ListConfigs(programFolder, silent)) {
    const std::string source = ConfigFileName(name, programFolder);
    const std::string dest = JoinPath(dataFolder, ExtractFileName(source));
    if (!FileExists(dest) && !FileCopy(source, dest, true)) copied = false;
  }
  return copied;
}

}  // namespace

void CopyDataFromProgramFolder(const std::string& programFolder, const std::string& oldIniFile,
                               const std::string& dataFolder, const std::string& iniFile) {
  if (FileExists(iniFile) || !CopyPlaylists(programFolder, dataFolder)) return;
  if (FileExists(oldIniFile)) {
    FileCopy(oldIniFile, iniFile, true);
    return;
  }
  try {
    WriteFileAtomic(iniFile, "");
  } catch (const TFileError&) {
    // The settings folder is not writable; saving the settings at close reports it.
  }
}
