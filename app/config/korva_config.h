#pragma once

#include <memory>
#include <string>
#include <vector>

// One scene slot of a music configuration.
struct TKorvaConfigItem {
  // The slot belongs to the default configuration (the game's own table). Apply reuses the flag
  // on its temporary list to mean "already in the music folder, do not copy".
  bool IsDefault = false;
  bool Loop = false;
  int Scene = 0;         // the game's scene number
  std::string FileName;  // full path of the MP3 file
  std::string Info;      // the playlist's "#EXTINF:" text, carried through unchanged
  // The path as the playlist wrote it when it was a Windows path that FileName reads through the
  // Wine prefix; written back as long as FileName still names that file, so that a playlist
  // shared with a Windows install stays as it was until the person changes the assignment.
  std::string PlaylistPath;
};

// An ordered list of scene slots that owns its items. Items never move in memory while they are
// in the list, so the scene list's rows can point at them.
class TKorvaConfig {
 public:
  TKorvaConfig() = default;
  TKorvaConfig(const TKorvaConfig&) = delete;
  TKorvaConfig& operator=(const TKorvaConfig&) = delete;

  // Appends an item whose IsDefault is the list's flag.
  TKorvaConfigItem& Add();
  TKorvaConfigItem& Items(int index) const { return *items_.at(index); }
  int Count() const { return static_cast<int>(items_.size()); }

  // The first index with that scene number, else -1.
  int IndexOfScene(int scene) const;
  // The first index whose FileName equals path without regard to letter case, else -1.
  int IndexOfFile(const std::string& path) const;

  bool IsDefault() const { return isDefault_; }
  // Sets the list's flag and that of every item already in the list.
  void SetDefault(bool isDefault);

  // Removes and frees the item; an item of another list is left alone.
  void Remove(const TKorvaConfigItem* item);
  void Clear() { items_.clear(); }

  // The configuration playlist (extended M3U with Korva's marker lines). Save throws TFileError
  // when the file cannot be written, leaving any old file whole; Load throws when the file
  // cannot be read, and yields an empty list for content that is not a Korva playlist.
  void SaveToPlaylist(const std::string& path) const;
  void LoadFromPlaylist(const std::string& path);
  // The same without the file: the lines Save writes, and the reading of decoded lines.
  std::vector<std::string> PlaylistLines() const;
  void LoadFromPlaylistLines(const std::vector<std::string>& lines);

  // Reads the game's music table (Config.txt or Config.org); file names are completed with the
  // table's own folder and ".mp3". Throws TFileError when the file cannot be read.
  void LoadFromGameTable(const std::string& path);

 private:
  std::vector<std::unique_ptr<TKorvaConfigItem>> items_;
  bool isDefault_ = false;
};
