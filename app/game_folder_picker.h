#pragma once

#include <optional>
#include <string>

// The folder picker offered when the game is not found: the folder the person chose, nullopt
// when they cancelled.
std::optional<std::string> PickGameFolder();

inline constexpr char kPickGameFolderCaption[] = "UltimaOnline-SE のフォルダを選んでください";
