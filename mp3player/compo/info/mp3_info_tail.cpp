// The tags at the end of the file: ID3v1 and, just before it, Lyrics3.

#include <string>

#include "mp3player/compo/assertion.h"
#include "mp3player/compo/info/genre_table.h"
#include "mp3player/compo/info/mp3_info.h"
#include "mp3player/compo/info/tag_text.h"
#include "mp3player/compo/io/stream_reader.h"

namespace {

constexpr int32_t kID3v1Size = 128;
constexpr int32_t kLyricsEnd = 9;
constexpr int32_t kLyricsSize = 6;
constexpr int32_t kLyrics1Window = 5100;
constexpr int32_t kLyricsFieldHeader = 8;
constexpr std::string_view kLyricsBegin = "LYRICSBEGIN";

}  // namespace

bool TMP3Info::ReadID3v1() {
  MP_ASSERT(Reader().Seekable());
  const int32_t end = found_types_.Contains(mitMacBin) ? macbin_data_end_ : FileEnd();
  const int32_t offset = end - kID3v1Size;
  if (offset < 0 || !SeekTo(offset) || !Available(kID3v1Size)) return false;
  const std::string_view tag = Bytes(kID3v1Size);
  if (tag.substr(0, 3) != "TAG") return false;
  id3v1_info_.Add("TITLE", FixedWidthText(tag.substr(3, 30)));
  id3v1_info_.Add("ARTIST", FixedWidthText(tag.substr(33, 30)));
  id3v1_info_.Add("ALBUM", FixedWidthText(tag.substr(63, 30)));
  id3v1_info_.Add("YEAR", FixedWidthText(tag.substr(93, 4)));
  id3v1_info_.Add("COMMENT", FixedWidthText(tag.substr(97, 30)));
  const auto genre = static_cast<uint8_t>(tag[127]);
  id3v1_info_.Add("GENRE", GenreName(genre));
  id3v1_info_.Add("GENREIDX", std::to_string(genre));
  // ID3v1.1 keeps a track number in the last comment byte after a NUL.
  if (tag[125] == 0) id3v1_info_.Add("TRACK", std::to_string(static_cast<uint8_t>(tag[126])));
  id3v1_offset_ = offset;
  return SkipBytes(kID3v1Size);
}

bool TMP3Info::ReadLyrics3() {
  MP_ASSERT(Reader().Seekable());
  int32_t end = FileEnd();
  if (found_types_.Contains(mitID3V1)) {
    end = id3v1_offset_;
  } else if (found_types_.Contains(mitMacBin)) {
    end = macbin_data_end_;
  }
  const int32_t end9 = end - kLyricsEnd;
  if (end9 < 0 || end9 > FileEnd() || !SeekTo(end9) || !Available(kLyricsEnd)) return false;
  const std::string_view marker = Bytes(kLyricsEnd);
  if (marker == "LYRICSEND") return ReadLyrics3v1(end9);
  if (marker == "LYRICS200") return ReadLyrics3v2(end9);
  return false;
}

bool TMP3Info::ReadLyrics3v1(int32_t end9) {
  const int32_t window = std::max(end9 - kLyrics1Window, 0);
  std::string bytes;
  if (!SeekTo(window) || !ReadBytes(end9 - window, bytes)) return false;
  const auto begin = bytes.find(kLyricsBegin);
  if (begin == std::string::npos) return false;
  lyrics_info_.Add("LYRICS", RawText(std::string_view(bytes).substr(begin + kLyricsBegin.size())));
  lyrics_offset_ = window + static_cast<int32_t>(begin);
  return true;
}

bool TMP3Info::ReadLyrics3v2(int32_t end9) {
  const int32_t fields_end = end9 - kLyricsSize;
  if (fields_end < 0 || !SeekTo(fields_end) || !Available(kLyricsSize)) return false;
  const int32_t size = DecimalValue(FixedWidthText(Bytes(kLyricsSize)));
  if (size <= 0) return false;
  const int32_t start = fields_end - size;
  lyrics_offset_ = start;
  if (start < 0 || !SeekTo(start) || !Available(kLyricsBegin.size())) return false;
  if (Bytes(kLyricsBegin.size()) != kLyricsBegin || !SkipBytes(kLyricsBegin.size())) return false;
  while (Position() < fields_end) {
    if (!Available(kLyricsFieldHeader)) return false;
    const std::string_view header = Bytes(kLyricsFieldHeader);
    const std::string id = FixedWidthText(header.substr(0, 3));
    const int32_t length = DecimalValue(FixedWidthText(header.substr(3, 5)));
    if (length <= 0 || !SkipBytes(kLyricsFieldHeader)) return false;
    std::string value;
    if (int64_t{Position()} + length > fields_end || !ReadBytes(length, value)) return false;
    lyrics_info_.Add(id, RawText(value));
  }
  return Position() == fields_end;
}
