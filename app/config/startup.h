#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/config/korva_config.h"
#include "platform/prompts.h"
#include "platform/single_instance.h"

// What the program holds once its entry checks have passed.
struct TProgramStart {
  std::unique_ptr<TSingleInstance> Instance;  // kept until the program ends
  std::string MusicFolder;                    // the game's music folder; exists
  // The game's folder the person picked at this start, for StoreGameFolder; else empty.
  std::string PickedGameFolder;
};

// Asks the person for the game's folder with a folder picker; nullopt when they cancel.
using TPickGameFolder = std::function<std::optional<std::string>()>;

// The program's entry checks, before any window opens: take the single-instance lock (else
// "二重起動は出来ません"), find the game's install folder and from it the music folder. The
// registry (off Windows KORVA_INSTALL_DIR or the Wine prefix) comes first; when it names no
// game, the folder the person picked once (kept in iniFileName) is used. Without either,
// "UltimaOnline-SE がありません" says where Korva looked and, given pickFolder, offers to pick
// the game's folder until one holds the game or the person cancels. nullopt means the program
// must end; the message has been shown. Release the lock by destroying the result at the end.
std::optional<TProgramStart> StartProgram(IPrompts& prompts, const std::string& iniFileName = {},
                                          const TPickGameFolder& pickFolder = {});

// The game-not-found message: "UltimaOnline-SE がありません", and off Windows what was read
// (KORVA_INSTALL_DIR, or the Wine prefix) and how to choose another.
std::string NoGameMessage();

// The game's folder kept in the settings file (key "GameFolder"); empty when none was picked.
std::string StoredGameFolder(const std::string& iniFileName);
void StoreGameFolder(const std::string& iniFileName, const std::string& folder);

// The music folder that an "Install Dir" value names: its folder part (up to and including the
// last separator) followed by "Music" and "Digital". nullopt (the key did not open) gives "".
std::string MusicFolderFromInstallDir(const std::optional<std::string>& installDir);

// The main window's creation steps that concern the game folder: make sure Config.txt exists,
// create the backup Config.org on first start after asking, and fill defaultConfig from the
// backup. Returns false when the program is to terminate (messages have been shown); the steps
// after a failure still run, as the first-run question may follow a missing Config.txt.
bool PrepareGameConfigs(const std::string& musicFolder, TKorvaConfig& defaultConfig,
                        IPrompts& prompts);

inline constexpr char kMsgSecondInstance[] = "二重起動は出来ません";
inline constexpr char kMsgNoGame[] = "UltimaOnline-SE がありません";
inline constexpr char kMsgPickGameFolder[] =
    "\n\nゲームをインストールしたフォルダ(Musicフォルダのあるフォルダ)を選びますか？";
// Follows the picked folder's path.
inline constexpr char kMsgNotGameFolder[] =
    "\nにはゲームのMusicフォルダがありません。ゲームをインストールしたフォルダを選んでください";
inline constexpr char kMsgBackupFailed[] = "Config.orgを作成できません";
inline constexpr char kMsgFirstRun[] =
    "KorvaはUltimaOnline-SEのMusicファイル(mp3)を変更するツールです.\n"
    "Korvaは現在のConfig.txtをデフォルトの設定として扱います.\n"
    "すでに手動でConfig.txtを変更している場合は元に戻してから利用してください.\n\n"
    "Korvaを起動しますか？";
