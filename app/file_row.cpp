#include "app/file_row.h"

#include <QDateTime>
#include <QFileInfo>
#include <QLocale>

#include "mp3player/compo/info/mp3_info.h"
#include "platform/files.h"

namespace {

QString Utf8(const std::string& text) { return QString::fromStdString(text); }

std::string GroupSeparator() { return QLocale().groupSeparator().toStdString(); }

void SetStreamColumns(const TMp3FileInfo& info, TFileRow& row) {
  const std::string separator = GroupSeparator();
  row.Texts[fcBitRate] = QString::number(info.BitRate);
  row.Numbers[fcBitRate] = info.BitRate;
  row.Texts[fcSampleRate] = Utf8(FormatGrouped(info.SampleRate, separator));
  row.Numbers[fcSampleRate] = info.SampleRate;
  row.Texts[fcChannels] = info.Stereo ? QStringLiteral("ステレオ") : QStringLiteral("モノラル");
  row.Numbers[fcChannels] = info.Stereo ? 1 : 0;
  if (info.DurationMs > 0) {
    // An estimate is marked as such: a person planning a scene must not count on it.
    const QString time = Utf8(FormatDuration(info.DurationMs));
    row.Texts[fcDuration] = info.DurationEstimated ? QStringLiteral("約") + time : time;
  }
  row.Numbers[fcDuration] = info.DurationMs;
}

// The form in which the filter compares texts: compatibility forms (half-width katakana,
// full-width Latin letters) become their usual ones, then letter case is folded.
QString FilterKey(const QString& text) {
  return text.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

}  // namespace

QString FormatFileDate(const QDateTime& time) {
  const QLocale locale;
  QString text = locale.toString(time.date(), QLocale::ShortFormat);
  if (time.time() == QTime(0, 0)) return text;
  QString time_format = locale.timeFormat(QLocale::LongFormat);
  time_format.remove(QLatin1Char('t'));
  return text + QLatin1Char(' ') + locale.toString(time.time(), time_format.trimmed());
}

TFileRow ReadFileRow(const std::string& folder, const std::string& name, TMP3Info& tags) {
  const std::string path = JoinPath(folder, name);
  const QFileInfo file(Utf8(path));
  TFileRow row;
  row.Texts[fcName] = Utf8(name);
  row.Texts[fcFolder] = Utf8(folder);
  row.Texts[fcSize] = Utf8(FormatFileSize(file.size(), GroupSeparator()));
  row.Numbers[fcSize] = file.size();
  const QDateTime modified = file.lastModified();
  row.Texts[fcDate] = FormatFileDate(modified);
  row.Numbers[fcDate] = modified.toSecsSinceEpoch();
  TMp3FileInfo info;
  if (ReadMp3FileInfoOrEmpty(path, info, tags)) {
    row.Texts[fcTitle] = Utf8(info.Title);
    row.Texts[fcArtist] = Utf8(info.Artist);
    row.Album = Utf8(info.Album);
    SetStreamColumns(info, row);
  }
  return row;
}

TFileFilter::TFileFilter(const QString& text) : key_(FilterKey(text.trimmed())) {}

bool TFileFilter::Matches(const TFileRow& row) const {
  if (key_.isEmpty()) return true;
  for (const QString& text :
       {row.Texts[fcName], row.Texts[fcTitle], row.Texts[fcArtist], row.Album})
    if (FilterKey(text).contains(key_)) return true;
  return false;
}

std::string FileInfoSummary(const std::string& path, TMP3Info& tags) {
  TMp3FileInfo info;
  std::string summary;
  if (!ReadMp3FileInfoOrEmpty(path, info, tags)) return summary;
  if (!info.Title.empty()) summary += info.Title + " - ";
  summary += info.Album;
  if (!info.Artist.empty()) summary += " (" + info.Artist + ")";
  if (!info.Year.empty()) summary += " " + info.Year + " ";
  summary += info.Comment;
  return summary;
}
