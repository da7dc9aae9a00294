#pragma once

#include <string>

// The uninstaller that the Windows installer puts beside the program; it marks an installed copy.
inline constexpr char kUninstallerName[] = "korva-uninstall.exe";

// The folder that takes the person's files for a program in programFolder (ending with the path
// separator): that folder itself when a file can be created in it, as for a portable copy; else
// %APPDATA%\Korva\, created when missing, as for a copy installed under "Program Files". An
// installed copy (its uninstaller beside it) always uses %APPDATA%\Korva\, also where its folder
// happens to be writable (a folder the person picked, or Wine), so that uninstalling, which
// removes the program folder, never takes the person's files with it. The data folders of
// platform/data_folders.h are this folder for the program's own folder.
std::string UserFolderFor(const std::string& programFolder);
