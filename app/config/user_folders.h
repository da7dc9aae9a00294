#pragma once

#include <string>

// Earlier versions kept the configurations' playlists and the settings file beside the program
// file, where cleaning or removing a build folder deletes them. At the first start with the
// per-user folders, this copies (never moves) every configuration playlist from programFolder
// into dataFolder and oldIniFile to iniFile, leaving existing files alone.
//
// The step runs once: it does nothing when iniFile exists, and it always leaves iniFile behind
// (an empty one when there is no old settings file), so a playlist that the person deletes later
// does not come back. A copy that fails leaves iniFile missing and is tried again next start.
void CopyDataFromProgramFolder(const std::string& programFolder, const std::string& oldIniFile,
                               const std::string& dataFolder, const std::string& iniFile);
