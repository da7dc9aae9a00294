#pragma once

#include <string>

#include "app/config/korva_config.h"
#include "platform/prompts.h"

// Applies a configuration to the game: after the person confirms, removes the copies that the
// previous Apply left in the music folder, then either restores Config.org over Config.txt (for
// the default configuration, kDefaultConfigName) or copies the configuration's files into the
// music folder under names the game's table can hold and rewrites Config.txt.
//
// Only files inside the music folder are ever deleted or written. The only files deleted are the
// previous copies (what Config.txt names and Config.org does not); a copy always gets a name no
// file in the folder has, so Config.org, the game's songs and songs the person put there are
// never replaced. Config.txt is replaced atomically, so an Apply that stops early leaves the
// previous one whole.
//
// Saving the shown configuration beforehand is the caller's part. Returns true when Apply ran to
// its end (also when some copies failed, which it reports); false when it stopped early: not
// confirmed, no Config.txt, a previous copy that cannot be deleted, a failed restore or a table
// that cannot be read or written, or a game file name in Config.org the table cannot hold.
bool ApplyConfig(const std::string& name, const TKorvaConfig& defaultConfig,
                 const TKorvaConfig& userConfig, const std::string& musicFolder, IPrompts& prompts);

inline constexpr char kMsgApplyConfirm[] = "「%s」を適用します";
inline constexpr char kMsgDeleteFailed[] =
    "を削除できません\nこのファイルは使用中または書き込み不可属性の可能性があります\n";
inline constexpr char kMsgRestoreFailed[] = "Config.txtにコピーできません";
inline constexpr char kMsgCopyFailed[] =
    "のコピーに失敗しました\nファイルが存在しないか使用中の可能性があります";
// Follows "Config.org" and the line, as in "Config.orgの5行目".
inline constexpr char kMsgUnwritableGameName[] = "に、Config.txtに書き込めない文字があります";
inline constexpr char kMsgQuitGame[] = "UOを起動中なら終了してから再度適用してください";
