#include <algorithm>
#include <string_view>

#include "app/config/decimal.h"
#include "app/config/korva_config.h"
#include "platform/text_file.h"
#include "platform/wine_paths.h"

namespace {

constexpr std::string_view kHeader = "#EXTM3U";
constexpr std::string_view kKorvaMarker = "#KORVA";
constexpr std::string_view kSceneMarker = "#KORVANUM:";
constexpr std::string_view kInfoMarker = "#EXTINF:";

// What the marker lines said about the path line that follows them.
struct TPending {
  int scene = -1;
  bool loop = false;
  std::string info;
};

void ReadSceneMarker(std::string_view rest, TPending& pending) {
  const std::size_t comma = rest.find(',');
  pending.scene = ParseDecimal(rest.substr(0, comma)).value_or(-1);
  if (comma == std::string_view::npos) return;
  // A loop text of 0 or one that is no number leaves the flag as an earlier marker set it.
  if (const auto loop = ParseDecimal(rest.substr(comma + 1)); loop && *loop != 0) {
    pending.loop = true;
  }
}

// Characters, not bytes: a path of one Japanese character is as short as one of one letter.
std::size_t CharacterCount(std::string_view utf8) {
  return std::count_if(utf8.begin(), utf8.end(),
                       [](char c) { return (static_cast<unsigned char>(c) & 0xC0) != 0x80; });
}

// The path line of an item: the playlist's own Windows text while it still names the item's file.
const std::string& PathLine(const TKorvaConfigItem& item) {
  if (!item.PlaylistPath.empty() && WindowsPathToLocal(item.PlaylistPath) == item.FileName) {
    return item.PlaylistPath;
  }
  return item.FileName;
}

}  // namespace

std::vector<std::string> TKorvaConfig::PlaylistLines() const {
  std::vector<std::string> lines{std::string(kHeader), std::string(kKorvaMarker)};
  for (const auto& item : items_) {
    lines.push_back(std::string(kSceneMarker) + std::to_string(item->Scene) + "," +
                    (item->Loop ? "1" : "0"));
    lines.push_back(std::string(kInfoMarker) + item->Info);
    lines.push_back(PathLine(*item));
  }
  return lines;
}

void TKorvaConfig::SaveToPlaylist(const std::string& path) const {
  WriteTextLines(path, PlaylistLines(), TTextEncoding::tenCodePageOrUtf8);
}

void TKorvaConfig::LoadFromPlaylist(const std::string& path) {
  // Emptied first, so that a playlist that cannot be read never leaves another one's items.
  Clear();
  LoadFromPlaylistLines(ReadTextLines(path));
}

void TKorvaConfig::LoadFromPlaylistLines(const std::vector<std::string>& lines) {
  Clear();
  if (lines.size() < 3 || lines[0] != kHeader || lines[1] != kKorvaMarker) return;
  TPending pending;
  for (std::size_t i = 2; i < lines.size(); ++i) {
    const std::string_view line = lines[i];
    if (line.starts_with(kSceneMarker)) {
      ReadSceneMarker(line.substr(kSceneMarker.size()), pending);
    } else if (line.starts_with(kInfoMarker)) {
      pending.info = line.substr(kInfoMarker.size());
    } else if (CharacterCount(line) > 2 && !line.starts_with('#') && pending.scene != -1) {
      TKorvaConfigItem& item = Add();
      item.Scene = pending.scene;
      item.FileName = line;
      // A playlist written on Windows or under Wine names its files as "C:\..." or "Z:\...".
      if (auto local = WindowsPathToLocal(item.FileName)) {
        item.PlaylistPath = std::move(item.FileName);
        item.FileName = std::move(*local);
      }
      item.Info = pending.info;
      item.Loop = pending.loop;
      pending = TPending();
    }
  }
}
