#include "app/config/startup.h"

#include <cstdlib>

#include "app/config/game_table.h"
#include "platform/files.h"
#include "platform/ini_file.h"
#include "platform/install_dir.h"
#include "platform/wine_paths.h"

std::string MusicFolderFromInstallDir(const std::optional<std::string>& installDir) {
  if (!installDir) return {};
  return JoinPath(ExtractFilePath(*installDir) + "Music", "Digital");
}

namespace {

constexpr char kSettingsSection[] = "DEFAULT";
constexpr char kGameFolderKey[] = "GameFolder";

// The music folder of an install folder given as a folder (no file name at its end); empty when
// that folder holds no game.
std::string MusicFolderOfGameFolder(const std::string& folder) {
  if (folder.empty()) return {};
  const std::string music = MusicFolderFromInstallDir(JoinPath(folder, ""));
  return DirectoryExists(music) ? music : std::string();
}

// Offers the folder picker until the person picks a folder with the game or cancels; the music
// folder, or empty.
std::string AskForGameFolder(IPrompts& prompts, const TPickGameFolder& pickFolder,
                             std::string& picked) {
  const std::string question = NoGameMessage() + kMsgPickGameFolder;
  while (prompts.Ask(question, TPromptIcon::pciWarning, TPromptButtons::pcbYesNo) ==
         TPromptAnswer::pcaYes) {
    const std::optional<std::string> folder = pickFolder();
    if (!folder) break;
    if (std::string music = MusicFolderOfGameFolder(*folder); !music.empty()) {
      picked = *folder;
      return music;
    }
    prompts.ShowMessage(*folder + kMsgNotGameFolder);
  }
  return {};
}

}  // namespace

std::string NoGameMessage() {
  const std::optional<std::string> prefix = WinePrefix();
  if (!prefix) return kMsgNoGame;  // Windows: the registry is the one place
  if (const char* dir = std::getenv("KORVA_INSTALL_DIR")) {
    return std::string(kMsgNoGame) + "\n\n環境変数 KORVA_INSTALL_DIR のフォルダ " + dir +
           " を探しました。";
  }
  return std::string(kMsgNoGame) + "\n\nWineの環境 " + *prefix +
         " のレジストリから探しました。\n別のWine環境は環境変数 WINEPREFIX で、ゲームの"
         "フォルダは環境変数 KORVA_INSTALL_DIR で選べます。";
}

std::string StoredGameFolder(const std::string& iniFileName) {
  if (iniFileName.empty()) return {};
  return TIniFile(iniFileName).ReadString(kSettingsSection, kGameFolderKey, "");
}

void StoreGameFolder(const std::string& iniFileName, const std::string& folder) {
  TIniFile(iniFileName).WriteString(kSettingsSection, kGameFolderKey, folder);
}

std::optional<TProgramStart> StartProgram(IPrompts& prompts, const std::string& iniFileName,
                                          const TPickGameFolder& pickFolder) {
  TProgramStart start;
  start.Instance = TSingleInstance::Acquire(kKorvaMutexName);
  if (!start.Instance) {
    prompts.ShowMessage(kMsgSecondInstance);
    return std::nullopt;
  }
  start.MusicFolder = MusicFolderFromInstallDir(ReadGameInstallDir());
  if (start.MusicFolder.empty() || !DirectoryExists(start.MusicFolder)) {
    start.MusicFolder = MusicFolderOfGameFolder(StoredGameFolder(iniFileName));
  }
  if (start.MusicFolder.empty() && pickFolder) {
    start.MusicFolder = AskForGameFolder(prompts, pickFolder, start.PickedGameFolder);
    if (start.MusicFolder.empty()) return std::nullopt;
  }
  if (start.MusicFolder.empty()) {
    prompts.ShowMessage(NoGameMessage());
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
