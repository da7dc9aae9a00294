#pragma once

#include <optional>
#include <string>

#include "platform/wine_paths.h"

// Where the game says it is installed: the string value "Install Dir" of the game's key under
// HKEY_LOCAL_MACHINE "SOFTWARE\EA GAMES\Ultima Online Samurai Empire" (its 32-bit view, where the
// 32-bit game writes). nullopt means the key does not open; an opened key without the value gives
// an empty text.
//
// Off Windows the value comes from the environment variable KORVA_INSTALL_DIR when it is set,
// else from the Wine prefix's system.reg (WINEPREFIX, else ~/.wine), with the Windows path
// turned into the path of the same file in the prefix.
std::optional<std::string> ReadGameInstallDir();

// The game's key below HKEY_LOCAL_MACHINE.
inline constexpr char kGameRegistryKey[] = "SOFTWARE\\EA GAMES\\Ultima Online Samurai Empire";
inline constexpr char kInstallDirValue[] = "Install Dir";

// Reads a string value from a Wine registry file (system.reg) of the HKEY_LOCAL_MACHINE hive.
// key is relative to the hive ("SOFTWARE\\..."); on a 64-bit prefix the 32-bit view under
// "Software\\Wow6432Node" is searched first. nullopt when the file or key is missing; "" when
// the key exists without the value.
std::optional<std::string> ReadWineRegistryString(const std::string& systemReg,
                                                  const std::string& key, const std::string& value);
