#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <string>

#include "mp3player/compo/info/mp3_file_info.h"

class TMP3Info;

// The file list's columns, in order.
enum TFileColumn {
  fcName,
  fcTitle,
  fcArtist,
  fcSize,
  fcBitRate,
  fcSampleRate,
  fcChannels,
  fcDate,
  fcFolder,
  fcCount
};

// One row of the file list: the text of every column and the number each numeric column
// sorts by.
struct TFileRow {
  std::array<QString, fcCount> Texts;
  std::array<int64_t, fcCount> Numbers{};
};

// The file information of a file, or false with an empty record when it cannot be had: a
// missing file, a reserved layer, or a file the tag reader refuses (empty, truncated, not MPEG
// audio, unreadable). One bad file must not stop the listing of the others, so the reader's
// errors end here.
bool ReadMp3FileInfoOrEmpty(const std::string& path, TMp3FileInfo& info, TMP3Info& tags);

// True when the file reads as MPEG audio: the file list shows stream facts for it (a frame
// header with a sampling rate, and tags the reader accepts). Anything else could neither be
// previewed nor played by the game.
bool ReadsAsMpegAudio(const std::string& path, TMP3Info& tags);

// The row of one file found in a folder: its name, tags and stream facts, size and date.
TFileRow ReadFileRow(const std::string& folder, const std::string& name, TMP3Info& tags);

// The status bar's summary of a file's tags: "Title - Album (Artist) Year Comment", each part
// only when it is present; empty when the file cannot be read.
std::string FileInfoSummary(const std::string& path, TMP3Info& tags);
