#pragma once

#include <string>

// Where the person's own data lives. Off Windows: the XDG folders (KORVA_DATA_DIR overrides
// both); on Windows: the program's folder, or %APPDATA%\Korva when that folder is not writable.

// The folder of the configuration playlists, ending with the path separator.
std::string UserDataFolder();

// The folder of the settings file Korva.ini, ending with the path separator.
std::string UserSettingsFolder();
