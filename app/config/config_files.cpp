#include "app/config/config_files.h"

#include "app/config/config_names.h"
#include "app/config/debug_out.h"
#include "platform/files.h"

bool SaveUserConfig(const TKorvaConfig& config, const std::string& name, IPrompts& prompts,
                    const std::string& programFolder) {
  const std::string path = ConfigFileName(name, programFolder);
  try {
    config.SaveToPlaylist(path);
    DebugOut("Save=" + path);
    return true;
  } catch (const TFileError&) {
    prompts.ShowMessage(kMsgSaveFailed + path + kMsgCannotWrite);
    return false;
  }
}

bool CreateConfigFile(const std::string& name, const std::string& source, IPrompts& prompts,
                      const std::string& programFolder) {
  const std::string path = ConfigFileName(name, programFolder);
  if (source != kDefaultConfigName) {
    DebugOut("NewName=" + name);
    DebugOut("SourceName=" + source);
    if (!FileCopy(ConfigFileName(source, programFolder), path, false)) {
      prompts.ShowMessage(kMsgCreateFailed);
      return false;
    }
    return true;
  }
  try {
    TKorvaConfig().SaveToPlaylist(path);
    return true;
  } catch (const TFileError& e) {
    // What the program's general error display would show for this unhandled failure.
    prompts.ShowMessage(e.what());
    return false;
  }
}

bool DeleteConfigFile(const std::string& name, IPrompts& prompts,
                      const std::string& programFolder) {
  const std::string path = ConfigFileName(name, programFolder);
  if (!FileExists(path) || FileDelete(path)) return true;
  prompts.ShowMessage(path + kMsgDeleteConfigFailed);
  return false;
}
