#pragma once

#include <optional>
#include <string>

// Windows paths met off Windows: the game's registry entry and playlists written on Windows or by
// Korva under Wine name files as "C:\..." or "Z:\...". Wine keeps one symbolic link per drive
// letter in its prefix's dosdevices folder ("c:" to ../drive_c, "z:" to /), and these functions
// read such paths through those links.

// The Wine prefix whose registry and drive links are read: WINEPREFIX when it is set, else
// ~/.wine. nullopt on Windows, where Windows paths are already local.
std::optional<std::string> WinePrefix();

// The local path of a Windows drive path ("C:\Music\a.mp3") through the Wine prefix's drive
// links. nullopt for a path without a drive letter, for a drive the prefix does not have (no
// prefix at all included) and always on Windows, so callers keep such a path as it is.
std::optional<std::string> WindowsPathToLocal(const std::string& path);

// The path inside the given prefix that a Windows path names: a drive goes through
// prefix/dosdevices/<letter>:, "C:" to prefix/drive_c when the prefix has no link for it. A path
// without a drive only has its backslashes turned into slashes.
std::string WinePathToUnix(const std::string& prefix, const std::string& windowsPath);
