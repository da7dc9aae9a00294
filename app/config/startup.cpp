#include "app/config/startup.h"

#include "app/config/game_table.h"
#include "platform/files.h"
#include "platform/install_dir.h"

std::string MusicFolderFromInstallDir(const std::optional<std::string>& installDir) {
  if (!installDir) return {};
  return JoinPath(ExtractFilePath(*installDir) + "Music", "Digital");
}

std::optional<TProgramStart> StartProgram(IPrompts& prompts) {
  TProgramStart start;
  start.Instance = TSingleInstance::Acquire(kKorvaMutexName);
  if (!start.Instance) {
    prompts.ShowMessage(kMsgSecondInstance);
    return std::nullopt;
  }
  start.MusicFolder = MusicFolderFromInstallDir(ReadGameInstallDir());
  if (start.MusicFolder.empty() || !DirectoryExists(start.MusicFolder)) {
    prompts.ShowMessage(kMsgNoGame);
    return std::nullopt;
  }
  return start;
}

bool PrepareGameConfigs(const std::string& musicFolder, TKorvaConfig& defaultConfig,
                        IPrompts& prompts) {
  bool keepRunning = true;
  const std::string table = JoinPath(musicFolder, kGameTableName);
  const std::string backup = JoinPath(musicFolder, kGameTableBackupName);
  if (!FileExists(table)) {
    prompts.ShowMessage(kMsgNoGameTable);
    keepRunning = false;
  }
  if (!FileExists(backup)) {
    if (prompts.Ask(kMsgFirstRun, TPromptIcon::pciConfirmation, TPromptButtons::pcbYesCancel) ==
        TPromptAnswer::pcaYes) {
      if (!FileCopy(table, backup, true)) {
        prompts.ShowMessage(kMsgBackupFailed);
        keepRunning = false;
      }
    } else {
      keepRunning = false;
    }
  }
  if (FileExists(backup)) {
    defaultConfig.SetDefault(true);
    try {
      defaultConfig.LoadFromGameTable(backup);
    } catch (const TFileError& e) {
      prompts.ShowMessage(e.what());
      keepRunning = false;
    }
  }
  return keepRunning;
}
