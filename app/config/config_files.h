#pragma once

#include <string>

#include "app/config/korva_config.h"
#include "platform/data_folders.h"
#include "platform/prompts.h"

// The playlist file operations behind saving, creating and deleting user configurations. Each
// tells the person about a failure itself and returns false.

// Writes the configuration to the playlist of name. On failure: "設定の保存に失敗しました\n" +
// path + "に書き込めません"; the old playlist stays whole.
bool SaveUserConfig(const TKorvaConfig& config, const std::string& name, IPrompts& prompts,
                    const std::string& programFolder = UserDataFolder());

// Creates the playlist of a new configuration: a copy of source's playlist, or an empty
// configuration when source is the default configuration. On a failed copy:
// "新規設定の作成に失敗しました\nファイルを作成できません".
bool CreateConfigFile(const std::string& name, const std::string& source, IPrompts& prompts,
                      const std::string& programFolder = UserDataFolder());

// Deletes the playlist of name if it exists. On failure: path + "を削除できませんでした".
bool DeleteConfigFile(const std::string& name, IPrompts& prompts,
                      const std::string& programFolder = UserDataFolder());

inline constexpr char kMsgSaveFailed[] = "設定の保存に失敗しました\n";
inline constexpr char kMsgCannotWrite[] = "に書き込めません";
inline constexpr char kMsgCreateFailed[] = "新規設定の作成に失敗しました\nファイルを作成できません";
inline constexpr char kMsgDeleteConfigFailed[] = "を削除できませんでした";
