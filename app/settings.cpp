#include "app/settings.h"

#include <algorithm>
#include <limits>

#include "platform/files.h"
#include "platform/ini_file.h"

namespace {

constexpr char kSection[] = "DEFAULT";
constexpr char kVolumeKey[] = "Volume";

struct TStoredValue {
  const char* Key;
  int32_t* Value;
};

// The sixteen numbers stored after "Volume", in the order they are read and written.
std::array<TStoredValue, 16> StoredValues(TKorva& s) {
  auto& file = s.FileColumnWidths;
  auto& config = s.ConfigColumnWidths;
  return {{{"Left", &s.WindowRect.Left},
           {"Top", &s.WindowRect.Top},
           {"Right", &s.WindowRect.Right},
           {"Bottom", &s.WindowRect.Bottom},
           {"FileColumnName", &file[0]},
           {"FileColumnSize", &file[3]},
           {"FileColumnTime", &file[7]},
           {"FileTrackName", &file[1]},
           {"FileArtistName", &file[2]},
           {"FileBitRate", &file[4]},
           {"FileSampRate", &file[5]},
           {"FileChannel", &file[6]},
           {"ConfigColumnLocation", &config[0]},
           {"ConfigColumnName", &config[1]},
           {"ConfigTrackName", &config[2]},
           {"ConfigArtistName", &config[3]}}};
}

// Keys added after the seventeen, each its own.
constexpr char kLastFolderKey[] = "LastFolder";
constexpr char kAppliedFolderKey[] = "AppliedMusicFolder";
constexpr char kAppliedConfigKey[] = "AppliedConfig";

// Quoted, so that blanks at either end survive the reading.
std::string Quoted(const std::string& text) { return '"' + text + '"'; }

std::array<TStoredValue, 5> ViewValues(TKorva& s) {
  return {{{"UpperAreaHeight", &s.UpperAreaHeight},
           {"FolderTreeWidth", &s.FolderTreeWidth},
           {"FileSortColumn", &s.FileSortColumn},
           {"FileSortMark", &s.FileSortMark},
           {"FileDuration", &s.DurationColumnWidth}}};
}

}  // namespace

TKorva DefaultSettings(const TKorvaRect& bounds, int pixelsPerInch) {
  TKorva settings;
  settings.WindowRect = bounds;
  const int inch = pixelsPerInch;
  settings.FileColumnWidths = {2 * inch, inch, inch, inch, 0, 0, 0, inch};
  settings.ConfigColumnWidths = {inch, inch, inch, inch};
  return settings;
}

void LoadSettings(TKorva& settings, const std::string& iniFileName) {
  const TIniFile ini(iniFileName);
  constexpr int kNoVolume = std::numeric_limits<int>::min();
  const int volume = ini.ReadInteger(kSection, kVolumeKey, kNoVolume);
  settings.VolumeStored = volume != kNoVolume;
  // Only the low byte of the stored number is the volume.
  if (settings.VolumeStored) settings.Volume = static_cast<uint8_t>(volume & 0xFF);
  for (const TStoredValue& stored : StoredValues(settings))
    *stored.Value = ini.ReadInteger(kSection, stored.Key, *stored.Value);
  for (const TStoredValue& stored : ViewValues(settings))
    *stored.Value = ini.ReadInteger(kSection, stored.Key, *stored.Value);
  settings.LastFolder = ini.ReadString(kSection, kLastFolderKey, settings.LastFolder);
}

TKorvaRect FitOnScreen(const TKorvaRect& stored, const TKorvaRect& screen, int minWidth,
                       int minHeight) {
  const int64_t screenWidth = int64_t{screen.Right} - screen.Left;
  const int64_t screenHeight = int64_t{screen.Bottom} - screen.Top;
  const int64_t width =
      std::max<int64_t>(std::min(int64_t{stored.Right} - stored.Left, screenWidth), minWidth);
  const int64_t height =
      std::max<int64_t>(std::min(int64_t{stored.Bottom} - stored.Top, screenHeight), minHeight);
  // A window larger than the screen (only by its minimum size) keeps its top left corner on it.
  const int64_t left =
      std::max<int64_t>(std::min<int64_t>(stored.Left, screen.Right - width), screen.Left);
  const int64_t top =
      std::max<int64_t>(std::min<int64_t>(stored.Top, screen.Bottom - height), screen.Top);
  return {static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(left + width),
          static_cast<int32_t>(top + height)};
}

bool SaveSettings(const TKorva& settings, const std::string& iniFileName) {
  TKorva copy = settings;
  TIniFile ini(iniFileName);
  try {
    ini.WriteInteger(kSection, kVolumeKey, copy.Volume);
    for (const TStoredValue& stored : StoredValues(copy))
      ini.WriteInteger(kSection, stored.Key, *stored.Value);
    for (const TStoredValue& stored : ViewValues(copy))
      ini.WriteInteger(kSection, stored.Key, *stored.Value);
    ini.WriteString(kSection, kLastFolderKey, Quoted(copy.LastFolder));
  } catch (const TFileError&) {
    return false;
  }
  return true;
}

void RecordAppliedConfig(const std::string& iniFileName, const std::string& musicFolder,
                         const std::string& name) {
  TIniFile ini(iniFileName);
  try {
    ini.WriteString(kSection, kAppliedFolderKey, Quoted(musicFolder));
    ini.WriteString(kSection, kAppliedConfigKey, Quoted(name));
  } catch (const TFileError&) {
    // Only the status bar's note is lost; the game has its music all the same.
  }
}

std::string AppliedConfig(const std::string& iniFileName, const std::string& musicFolder) {
  const TIniFile ini(iniFileName);
  if (ini.ReadString(kSection, kAppliedFolderKey, "") != musicFolder) return {};
  return ini.ReadString(kSection, kAppliedConfigKey, "");
}

std::vector<std::string> ReadSceneNames(const std::string& datFileName) {
  const TIniFile dat(datFileName);
  std::vector<std::string> names;
  names.reserve(kSceneNameCount);
  for (int row = 0; row < kSceneNameCount; ++row)
    names.push_back(dat.ReadString(kSection, std::to_string(row), ""));
  return names;
}
