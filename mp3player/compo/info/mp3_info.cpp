#include "mp3player/compo/info/mp3_info.h"

#include <algorithm>

#include "mp3player/compo/assertion.h"
#include "mp3player/compo/decoder/frame_header.h"
#include "mp3player/compo/format_error.h"
#include "mp3player/compo/io/file_stream.h"
#include "mp3player/compo/io/stream_reader.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/utf8.h"

namespace {

// Both users read through a reader of this size, which also bounds the frames and tag fields
// that are read whole.
constexpr int32_t kReaderCapacity = 65536;
// How far past the head tags the first frame header may lie.
constexpr int kFrameSearchPositions = 4096;
// How many frames after the first are sampled for a change of bit rate and their average size,
// among those the reader already holds; no byte is read for them.
constexpr int kFrameSampleLimit = 256;

// Length of a text in the code page, which decides which tag's text is the longest: the bytes
// the tag stored. A character without a code-page form stands for one byte, since the tag readers
// turn each undecodable stored byte into one replacement character; the UTF-8 length would count
// it three times and let a garbled text beat a longer readable one.
size_t CodePageLength(const std::string& utf8) {
  if (const auto converted = Utf8ToCodePage(utf8)) return converted->size();
  size_t length = 0;
  size_t pos = 0;
  while (pos < utf8.size()) {
    const size_t start = pos;
    char32_t cp = 0;
    if (!DecodeUtf8(utf8, pos, cp)) pos = start + 1;
    const auto form = Utf8ToCodePage(std::string_view(utf8).substr(start, pos - start));
    length += form ? form->size() : 1;
  }
  return length;
}

}  // namespace

TMP3Info::TMP3Info() = default;

TMP3Info::~TMP3Info() { Clear(); }

void TMP3Info::Clear() {
  reader_ = nullptr;
  found_types_ = {};
  file_name_.clear();
  data_start_ = 0;
  data_size_ = kUnknownSize;
  riff_data_start_ = 0;
  riff_data_size_ = kUnknownSize;
  riff_info_.Clear();
  id3v1_info_.Clear();
  id3v2_info_.Clear();
  lyrics_info_.Clear();
  first_header_ = {};
  vbr_header_ = {};
  frame_sample_ = {};
}

void TMP3Info::Attach(TMPStreamReader* reader) {
  if (reader != nullptr) Clear();
  reader_ = reader;
}

TMPStreamReader& TMP3Info::Reader() const {
  MP_ASSERT(reader_ != nullptr);
  return *reader_;
}

int32_t TMP3Info::Position() const { return Reader().Position(); }

int32_t TMP3Info::FileEnd() const { return Reader().Size(); }

bool TMP3Info::Available(int64_t n) const {
  return n >= 0 && n <= Reader().Capacity() && Reader().Ensure(static_cast<int32_t>(n));
}

std::string_view TMP3Info::Bytes(int32_t n) const {
  return {reinterpret_cast<const char*>(Reader().Data()), static_cast<size_t>(n)};
}

bool TMP3Info::SkipBytes(int64_t n) {
  if (n < 0 || n > kUnknownSize) return false;
  return Reader().Skip(static_cast<int32_t>(n));
}

bool TMP3Info::SeekTo(int64_t offset) {
  if (offset < 0 || offset > kUnknownSize) return false;
  Reader().Seek(static_cast<int32_t>(offset), 0);
  return true;
}

bool TMP3Info::ReadBytes(int32_t n, std::string& out) {
  out.clear();
  while (n > 0) {
    const int32_t piece = std::min(n, Reader().Capacity());
    if (!Available(piece)) return false;
    out.append(Bytes(piece));
    if (!SkipBytes(piece)) return false;
    n -= piece;
  }
  return true;
}

bool TMP3Info::ReadHeadTags() {
  MP_ASSERT(reader_ != nullptr);
  if (ReadMacBinary()) {
    found_types_.Include(mitMacBin);
    data_start_ = macbin_data_start_;
    data_size_ = macbin_data_length_;
  }
  if (ReadRiffHead()) {
    found_types_.Include(mitRiff);
    data_start_ = riff_data_start_;
    data_size_ = riff_data_size_;
  }
  const int32_t tag_start = Position();
  if (ReadID3v2()) {
    found_types_.Include(mitID3V2);
    data_start_ = Position();
    // A tag longer than the container claims to hold leaves no audio, not a negative amount.
    if (data_size_ != kUnknownSize)
      data_size_ = std::max(0, data_size_ - (data_start_ - tag_start));
  }
  return Available(1);
}

bool TMP3Info::FindFirstFrame() {
  MP_ASSERT(reader_ != nullptr);
  for (int i = 0; i < kFrameSearchPositions; ++i) {
    if (!Available(4)) return false;
    TMPAudioHeader header;
    const int32_t length = MPParseHeader(Reader().Data(), 4, header);
    if (header.sync_kind != 0 && header.layer_code != 0 && length >= 0) {
      const int32_t frame_length = length + MPPaddingBytes(header);
      if (!Available(frame_length)) return false;
      data_start_ = Position();
      ReadStreamFacts(header, frame_length);
      return true;
    }
    if (!SkipBytes(1)) return false;
  }
  return false;
}

void TMP3Info::ReadStreamFacts(const TMPAudioHeader& header, int32_t frameLength) {
  first_header_ = header;
  vbr_header_ = MPReadVbrHeader(Reader().Data(), frameLength, header);
  // Only the bytes already read are looked at, so that listing a folder reads no more.
  const int32_t held = Reader().Count();
  if (frameLength <= 0 || !Reader().Ensure(held)) return;
  frame_sample_ = {1, frameLength, false};
  const uint8_t* bytes = Reader().Data();
  int32_t at = frameLength;
  for (int i = 0; i < kFrameSampleLimit && at + 4 <= held; ++i) {
    TMPAudioHeader next;
    const int32_t length = MPParseHeader(bytes + at, 4, next);
    if (length <= 0 || next.sync_kind != header.sync_kind || next.id != header.id) return;
    if (next.bitrate_index != header.bitrate_index) frame_sample_.bitRateVaries = true;
    const int32_t size = length + MPPaddingBytes(next);
    // Only whole frames count towards the average size.
    if (at + size > held) return;
    ++frame_sample_.frames;
    frame_sample_.bytes += size;
    at += size;
  }
}

bool TMP3Info::ReadTailTags() {
  MP_ASSERT(reader_ != nullptr);
  if (!Reader().Seekable()) return false;
  if (data_size_ == kUnknownSize) data_size_ = std::max(0, FileEnd() - data_start_);
  if (found_types_.Contains(mitRiff)) ReadRiffTail();
  if (ReadID3v1()) found_types_.Include(mitID3V1);
  if (ReadLyrics3()) found_types_.Include(mitLyrics);
  return true;
}

void TMP3Info::Open(const std::string& path) {
  try {
    TMPStreamReader reader(kReaderCapacity);
    TMPFileStream file(path);
    reader.Attach(&file, true);
    Attach(&reader);
    file_name_ = path;
    const bool found = ReadHeadTags() && FindFirstFrame() && ReadTailTags();
    Attach(nullptr);
    if (!found) throw TMPFormatError();
  } catch (...) {
    Clear();
    throw;
  }
}

std::string TMP3Info::Merged(std::string_view v1_name, std::string_view v2_name,
                             std::string_view riff_name) const {
  const std::pair<TMP3InfoKind, std::string> candidates[] = {
      {mitID3V1, id3v1_info_.Value(v1_name)},
      {mitID3V2, id3v2_info_.Value(v2_name)},
      {mitRiff, riff_info_.Value(riff_name)},
  };
  std::string best;
  size_t best_length = 0;
  for (const auto& [kind, value] : candidates) {
    if (!need_info_type_.Contains(kind)) continue;
    const size_t length = CodePageLength(value);
    if (length > best_length) {
      best = value;
      best_length = length;
    }
  }
  return best;
}

std::string TMP3Info::Title() const {
  std::string title = Merged("TITLE", "TIT2", "INAM");
  if (title.empty() && !file_name_.empty()) title = ExtractFileName(file_name_);
  return title;
}

std::string TMP3Info::Artist() const { return Merged("ARTIST", "TPE1", "IART"); }

std::string TMP3Info::Album() const { return Merged("ALBUM", "TALB", "IPRD"); }

std::string TMP3Info::Year() const {
  // Version 2.4 has no year frame; its recording time begins with the year.
  const bool no_year_frame = id3v2_info_.Value("TYER").empty();
  return Merged("YEAR", no_year_frame ? "TDRC" : "TYER", "ICRD");
}

std::string TMP3Info::Comment() const { return Merged("COMMENT", "COMM", "ICMT"); }
