#pragma once

#include <QDateTime>
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
  fcDuration,
  fcCount
};

// One row of the file list: the text of every column and the number each numeric column
// sorts by.
struct TFileRow {
  std::array<QString, fcCount> Texts;
  std::array<int64_t, fcCount> Numbers{};
  QString Album;  // no column shows it, but the search's filter looks at it
};

// The search's filter: keeps a file whose name, title, artist or album contains the text, letter
// case aside and half-width and full-width forms alike ("ｶﾞ" finds "ガ", "ＡＢ" finds "ab"). An
// empty text keeps every file.
class TFileFilter {
 public:
  explicit TFileFilter(const QString& text);
  bool Matches(const TFileRow& row) const;

 private:
  QString key_;
};

// A file's last-write time as the date column shows it: the locale's short date, then its long
// time without a time zone; midnight shows the date alone.
QString FormatFileDate(const QDateTime& time);

// The row of one file found in a folder: its name, tags and stream facts, size and date.
TFileRow ReadFileRow(const std::string& folder, const std::string& name, TMP3Info& tags);

// The status bar's summary of a file's tags: "Title - Album (Artist) Year Comment", each part
// only when it is present; empty when the file cannot be read.
std::string FileInfoSummary(const std::string& path, TMP3Info& tags);
