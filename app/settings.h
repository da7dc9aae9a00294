#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Window bounds as stored in the ini file: right and bottom are exclusive.
struct TKorvaRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;
  bool operator==(const TKorvaRect&) const = default;
};

// The program's settings. Only the window bounds, the column widths and the volume are stored;
// the music folder is found anew at every start.
struct TKorva {
  std::string MusicFolder;
  TKorvaRect WindowRect;
  std::array<int32_t, 8> FileColumnWidths{};    // file list columns 0 to 7
  std::array<int32_t, 4> ConfigColumnWidths{};  // scene list columns 0, 2, 3 and 4
  uint8_t Volume = 0;
  // The ini file held a volume: its 0 is a muted preview, while without the key the player keeps
  // its own initial volume.
  bool VolumeStored = false;
  // Where the person was, kept in keys of their own after the seventeen above.
  std::string LastFolder;           // the folder selected in the tree
  int32_t UpperAreaHeight = 0;      // the bar between the two areas; 0: halves as at first start
  int32_t FolderTreeWidth = 0;      // the bar between tree and file list; 0: as designed
  int32_t FileSortColumn = -1;      // the file list's sort; -1: none
  int32_t FileSortMark = 0;         // 1 or -1: the direction of that sort
  int32_t DurationColumnWidth = 0;  // the file list's playing-time column; 0: as designed
};

// The scene list columns whose widths are stored, in the order of ConfigColumnWidths.
inline constexpr std::array<int, 4> kStoredConfigColumns = {0, 2, 3, 4};
// Labels are read for this many rows of the scene list.
inline constexpr int kSceneNameCount = 71;

// The values in force before the ini file is read: the window's bounds at creation and column
// widths scaled to the screen's pixels per inch.
TKorva DefaultSettings(const TKorvaRect& bounds, int pixelsPerInch);

// Reads the keys of section "DEFAULT"; a missing key, or a missing or unreadable file, keeps the
// value already in settings.
void LoadSettings(TKorva& settings, const std::string& iniFileName);

// Stored window bounds made safe to show on a screen whose area is given: the size at least the
// minimum and at most the screen's, the position moved so that the whole window is on the
// screen. Worked out in 64 bits, so no number an ini file holds can overflow.
TKorvaRect FitOnScreen(const TKorvaRect& stored, const TKorvaRect& screen, int minWidth,
                       int minHeight);

// Writes the seventeen keys in their fixed order, then the keys of where the person was. Returns
// false when the file cannot be written.
bool SaveSettings(const TKorva& settings, const std::string& iniFileName);

// What the last Apply put in force, recorded at once (not at close) so that the next start shows
// which configuration the game plays: the game's music folder and the configuration's name
// (kDefaultConfigName after restoring the game's own music). Keys of their own in the ini file.
void RecordAppliedConfig(const std::string& iniFileName, const std::string& musicFolder,
                         const std::string& name);
// The configuration recorded for this music folder; empty when none was, or for another game.
std::string AppliedConfig(const std::string& iniFileName, const std::string& musicFolder);

// Reads the labels of rows 0 to 70 from the ".dat" file; a missing key gives an empty label.
std::vector<std::string> ReadSceneNames(const std::string& datFileName);
