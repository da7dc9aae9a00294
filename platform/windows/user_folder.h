#pragma once

#include <string>

// The folder that takes the person's files for a program in programFolder (ending with the path
// separator): that folder itself when a file can be created in it, as for a portable copy; else
// %APPDATA%\Korva\, created when missing, as for a copy installed under "Program Files". The
// data folders of platform/data_folders.h are this folder for the program's own folder.
std::string UserFolderFor(const std::string& programFolder);
