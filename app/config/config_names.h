#pragma once

#include <string>
#include <vector>

#include "platform/program_path.h"
#include "platform/prompts.h"

// The name under which the configuration box shows the default configuration.
inline constexpr char kDefaultConfigName[] = "<標準>";

// The names of the user configurations in the program's folder: every "*.m3u" file whose first
// two lines are exactly "#EXTM3U" and "#KORVA", without its extension, in the order the file
// system lists them. The default configuration is not among them: the configuration box puts
// kDefaultConfigName in front. A playlist whose file name is not valid text is left out, with a
// message: its name could not lead back to it, and saving under it would make a second file.
std::vector<std::string> ListConfigs(const std::string& programFolder, IPrompts& prompts);

// Follows the playlist's path.
inline constexpr char kMsgConfigNameUnreadable[] =
    "\nファイル名を文字として読めないため、設定として表示しません";

// True when the name holds none of \ / : ; * ? " < > | = (an empty name passes).
bool IsValidConfigName(const std::string& name);

// The playlist of a configuration: program folder + name + ".m3u", or the existing playlist whose
// file name differs from that only in letter case.
std::string ConfigFileName(const std::string& name,
                           const std::string& programFolder = ProgramFolder());

// The settings file and the scene-label file: the program's path with ".ini" or ".dat".
std::string IniFileName();
std::string SceneLabelFileName();
