#pragma once

#include <string>

#include "app/config/korva_config.h"
#include "platform/prompts.h"

// How an Apply ended.
enum class TApplyResult {
  arDone,          // the configuration is in effect
  arCopiesFailed,  // in effect, but some scenes kept the game's music because a copy failed
  arStopped,       // stopped before the game's table changed; the previous Apply stands whole
};

// Applies a configuration to the game: after the person confirms, either restores the game's own
// table (for the default configuration, kDefaultConfigName) or copies the configuration's files
// into the music folder under names the game's table can hold and rewrites Config.txt.
//
// The game's music folder is locked for the whole Apply, so two Applies (of the program and of
// korva-apply) never mix. New copies are made first, under names no entry of the folder has;
// then Config.txt is replaced atomically; only then are the earlier copies it no longer names
// deleted. A failure before the table is written removes the copies just made, so the previous
// Apply stays whole. The only files ever deleted are Korva's own temporary files and the copies
// in the record (copy_record.h) that nobody has changed since they were made: the game's files,
// copies made before the record existed and the person's own files are never deleted.
//
// A scene of Config.txt that Config.org lacks and whose file is not Korva's copy came with an
// update of the game: it is kept, with its file, as part of the game's own music from then on.
// A Config.org without scenes, or without scenes that Korva's own copies in Config.txt stand
// for, is damaged, and Apply stops before anything changes.
//
// Saving the shown configuration beforehand is the caller's part.
TApplyResult ApplyConfig(const std::string& name, const TKorvaConfig& defaultConfig,
                         const TKorvaConfig& userConfig, const std::string& musicFolder,
                         IPrompts& prompts);

inline constexpr char kMsgApplyConfirm[] = "「%s」を適用します";
inline constexpr char kMsgRestoreFailed[] = "Config.txtにコピーできません";
inline constexpr char kMsgCopyFailed[] =
    "のコピーに失敗しました\nファイルが存在しないか使用中の可能性があります";
// Follows the failure message; the scene numbers follow it.
inline constexpr char kMsgScenesKeptGameMusic[] = "\n次の場面はゲーム本来の音楽のままです: ";
// Follows "Config.org" and the line, as in "Config.orgの5行目".
inline constexpr char kMsgUnwritableGameName[] = "に、Config.txtに書き込めない文字があります";
inline constexpr char kMsgQuitGame[] = "UOを起動中なら終了してから再度適用してください";
// Follows the path of Config.org.
inline constexpr char kMsgBadBackup[] =
    "に場面がないか、Config.txtより場面が少なくなっています\n"
    "このファイルが壊れている可能性があります\n"
    "元のConfig.orgに戻してから再度適用してください";
// The scene numbers follow.
inline constexpr char kMsgGameTableGrew[] =
    "ゲームの更新でConfig.txtに場面が追加されています\n"
    "これらの場面はゲーム本来の音楽として扱い、そのファイルは削除しません\n場面: ";
inline constexpr char kMsgGameBusy[] =
    "ゲームの音楽は他のKorvaが変更中です\nしばらく待ってから再度適用してください";
