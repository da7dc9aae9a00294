#pragma once

#include <functional>
#include <string>

#include "app/config/korva_config.h"
#include "platform/prompts.h"

// The rules that tie a user configuration to the default one. A row of the scene list shows
// either a default item or the user item that overrides it; a user item never equals the default
// item of its scene (an edit that makes it equal removes it again).

// The item that plays for a default item's scene: the first user item of that scene, else the
// default item itself.
const TKorvaConfigItem& EffectiveItem(const TKorvaConfigItem& defaultItem,
                                      const TKorvaConfig& userConfig);

// True when the default configuration has the item's scene with the same file (without regard to
// letter case) and the same loop flag.
bool IsSameAsDefault(const TKorvaConfigItem& item, const TKorvaConfig& defaultConfig);

// Changes the scene a row shows: the row's user item, or for a default item a new user item with
// its scene, file and loop flag, is passed to edit; if the result equals the default it is
// removed. Returns the item the row shows afterwards.
const TKorvaConfigItem& EditSceneItem(const TKorvaConfigItem& rowItem,
                                      const TKorvaConfig& defaultConfig, TKorvaConfig& userConfig,
                                      const std::function<void(TKorvaConfigItem&)>& edit);

// Assigns a file to the row's scene, keeping its loop flag.
const TKorvaConfigItem& AssignFileToScene(const TKorvaConfigItem& rowItem, const std::string& path,
                                          const TKorvaConfig& defaultConfig,
                                          TKorvaConfig& userConfig);

// Sets the loop flag of the row's scene, keeping its file.
const TKorvaConfigItem& SetSceneLoop(const TKorvaConfigItem& rowItem, bool loop,
                                     const TKorvaConfig& defaultConfig, TKorvaConfig& userConfig);

// Removes the row's user item when the default has its scene; returns what the row shows.
const TKorvaConfigItem& ReturnSceneToDefault(const TKorvaConfigItem& rowItem,
                                             const TKorvaConfig& defaultConfig,
                                             TKorvaConfig& userConfig);

// True when a playlist can hold the path, so that it reads back as the same path. A line break
// would split it, and bytes that are no text cannot be written as text; a name that is not
// valid text also reaches the window only with U+FFFD in its place and then leads to no file.
// Otherwise the person is told why and false is returned.
bool CanAssignFile(const std::string& path, IPrompts& prompts);

// Follows the path.
inline constexpr char kMsgCannotAssign[] =
    "\nファイル名に改行または文字として読めない部分があるため、割り当てられません";
// Follows the path of a file that is not MPEG audio (empty, damaged, or another kind of file).
inline constexpr char kMsgNotMpegAudio[] =
    "\nMP3ファイルとして読めない(空・壊れている・MPEGオーディオではない)ため、割り当てられません。"
    "再生できるMP3ファイルを選んでください";
