#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The game's music table: one scene per line, "scene name" with an optional ",loop" mark.

// Splits one table line into its fields: blanks, commas and control characters separate them;
// a field in double quotes may hold them (a doubled quote inside stands for one quote); two
// commas in a row give an empty field, as does a comma at the end of the line.
std::vector<std::string> SplitTableFields(std::string_view line);

// What a table line says about one scene.
struct TTableEntry {
  int Scene = 0;
  std::string Name;  // the music file's name without folder and ".mp3"
  bool Loop = false;
};

// The scene of one table line; nullopt for a line with fewer than two fields or whose first
// field is no scene number. A third field "loop" or "lop" (in any letter case) sets Loop.
std::optional<TTableEntry> ParseTableLine(std::string_view line);

class TKorvaConfig;
struct TKorvaConfigItem;

// Appends the item a table entry gives: the entry's name completed with the table's folder
// (which ends in a separator) and ".mp3".
TKorvaConfigItem& AddTableItem(TKorvaConfig& config, const TTableEntry& entry,
                               const std::string& folder);

// The line Apply writes for a scene: "%d %s", then ",loop" when the scene loops. A name that
// would not read back as one field (empty, starting with a double quote, or holding a blank, a
// control character or a comma) is written in double quotes, inner quotes doubled.
std::string FormatTableLine(int scene, const std::string& name, bool loop);

inline constexpr char kGameTableName[] = "Config.txt";
inline constexpr char kGameTableBackupName[] = "Config.org";

inline constexpr char kMsgNoGameTable[] = "Config.txtがありません";
