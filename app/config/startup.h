#pragma once

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
};

// The program's entry checks, before any window opens: take the single-instance lock (else
// "二重起動は出来ません"), find the game's install folder and from it the music folder (else
// "UltimaOnline-SE がありません"). nullopt means the program must end; the message has been
// shown. Release the lock by destroying the result when the program ends.
std::optional<TProgramStart> StartProgram(IPrompts& prompts);

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
inline constexpr char kMsgBackupFailed[] = "Config.orgを作成できません";
inline constexpr char kMsgFirstRun[] =
    "KorvaはUltimaOnline-SEのMusicファイル(mp3)を変更するツールです.\n"
    "Korvaは現在のConfig.txtをデフォルトの設定として扱います.\n"
    "すでに手動でConfig.txtを変更している場合は元に戻してから利用してください.\n\n"
    "Korvaを起動しますか？";
