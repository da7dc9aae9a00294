#pragma once

#include <string>
#include <vector>

#include "platform/data_folders.h"
#include "platform/prompts.h"

// The name under which the configuration box shows the default configuration.
inline constexpr char kDefaultConfigName[] = "<標準>";

// The names of the user configurations in the folder of the playlists: every "*.m3u" file whose
// first two lines are exactly "#EXTM3U" and "#KORVA", without its extension, in name order
// (letter case aside, as Windows lists them). The default configuration is not among them: the
// configuration box puts kDefaultConfigName in front. A playlist whose file name is not valid text
// is left out, with a message: its name could not lead back to it, and saving under it would make a
// second file.
std::vector<std::string> ListConfigs(const std::string& programFolder, IPrompts& prompts);

// Follows the playlist's path.
inline constexpr char kMsgConfigNameUnreadable[] =
    "\nファイル名を文字として読めないため、設定として表示しません";

// True when the name holds none of \ / : ; * ? " < > | = (an empty name passes).
bool IsValidConfigName(const std::string& name);

// The playlist of a configuration: playlist folder + name + ".m3u", or the existing playlist whose
// file name differs from that only in letter case.
std::string ConfigFileName(const std::string& name,
                           const std::string& programFolder = UserDataFolder());

// The settings file: Korva.ini in the person's settings folder.
std::string IniFileName();

// The scene labels, which ship with the program: beside the program file, named after it with
// ".dat", else in the installed program's data folder (bin/../share/korva/korva.dat).
std::string SceneLabelFileName();
