#include "mp3player/compo/info/mp3_file_info.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <system_error>
#include <vector>

#include "mp3player/compo/decoder/frame_header.h"
#include "mp3player/compo/info/mp3_info.h"
#include "mp3player/compo/info/tag_text.h"
#include "mp3player/compo/info/vbr_header.h"
#include "mp3player/compo/io/file_stream.h"
#include "platform/files.h"

namespace {

constexpr int32_t kBlock = 4096;
// A sync is taken only with six more bytes after it in the block; consecutive blocks overlap by
// seven bytes so that no position is left out.
constexpr int32_t kOverlap = 7;

std::string TrimTrailingBlanks(std::string text) {
  const auto end = text.find_last_not_of(' ');
  text.erase(end == std::string::npos ? 0 : end + 1);
  return text;
}

std::optional<std::array<uint8_t, 4>> FindInBlock(const std::vector<uint8_t>& block, int32_t n) {
  for (int32_t p = 0; p + kOverlap <= n; ++p) {
    if (block[p] == 0xFF && (block[p + 1] & 0xF0) == 0xF0) {
      return std::array<uint8_t, 4>{block[p], block[p + 1], block[p + 2], block[p + 3]};
    }
  }
  return std::nullopt;
}

// Reads until `count` bytes are in or the file ends; returns how many were read.
int32_t ReadFully(TMPFileStream& file, uint8_t* buffer, int32_t count) {
  int32_t n = 0;
  while (n < count) {
    const int32_t got = file.Read(buffer + n, count - n);
    if (got <= 0) break;
    n += got;
  }
  return n;
}

// Where the sync search begins: past an ID3v2 tag at the start of the file. Its text frames
// hold byte sequences such as the UTF-16 byte-order mark FF FE, which look like a frame sync and
// would give every file with such a tag the facts of a Layer I stream.
int32_t SearchStart(TMPFileStream& file) {
  constexpr int32_t kTagHeader = 10;
  std::array<uint8_t, kTagHeader> header{};
  const int32_t n = ReadFully(file, header.data(), kTagHeader);
  const std::string_view bytes(reinterpret_cast<const char*>(header.data()), header.size());
  int64_t start = 0;
  if (n == kTagHeader && bytes.starts_with("ID3")) {
    start = int64_t{kTagHeader} + ID3v2SizeField(bytes) + (ID3v2HasFooter(bytes) ? kTagHeader : 0);
  }
  if (start >= file.Size()) start = 0;
  return file.Seek(static_cast<int32_t>(start), 0);
}

bool IsEmptyFile(const std::string& path) {
  std::error_code error;
  return std::filesystem::file_size(std::u8string(path.begin(), path.end()), error) == 0 && !error;
}

// The playing time from what the tag reader found in the first frame: exact from a Xing, "Info"
// or VBRI frame count or, at a constant bit rate, from the audio bytes. When the frames read
// change their bit rate and no header counts them, their average size gives an estimated count,
// marked as such. Nothing more is read for it.
void SetDuration(const TMP3Info& tags, TMp3FileInfo& info) {
  TMPVbrHeader counted = tags.VbrHeader();
  const TMP3Info::TFrameSample& sample = tags.FrameSample();
  const bool estimate = counted.frames == 0 && sample.bitRateVaries && sample.bytes > 0;
  if (estimate) {
    counted.frames = static_cast<uint32_t>(
        std::min<int64_t>(int64_t{tags.DataSize()} * sample.frames / sample.bytes, UINT32_MAX));
  }
  info.DurationMs = MPStreamDurationMs(tags.FirstHeader(), counted, tags.DataSize());
  info.DurationEstimated = estimate && info.DurationMs > 0;
}

}  // namespace

std::optional<std::array<uint8_t, 4>> FindFrameHeader(const std::string& path) {
  TMPFileStream file(path);
  SearchStart(file);
  std::vector<uint8_t> block(kBlock);
  for (;;) {
    const int32_t n = ReadFully(file, block.data(), kBlock);
    if (auto header = FindInBlock(block, n)) return header;
    if (n < kBlock) return std::nullopt;
    file.Seek(-kOverlap, 1);
  }
}

uint16_t Mp3BitRate(uint8_t version, uint8_t layer, uint8_t index) {
  if (layer < 1 || layer > 3) return 0;
  return static_cast<uint16_t>(MPBitrateKbps(version == 1 ? 1 : 0, 4 - layer, index));
}

uint16_t Mp3SampleRate(uint8_t version, uint8_t index) {
  return static_cast<uint16_t>(MPSampleRateHz(version == 1 ? 1 : 0, 1, index));
}

TMp3HeaderResult ReadMp3HeaderInfo(const std::string& path, TMp3FileInfo& info) {
  if (!FileExists(path)) return TMp3HeaderResult::mhrNoFile;
  std::optional<std::array<uint8_t, 4>> header;
  try {
    header = FindFrameHeader(path);
  } catch (const std::exception&) {
    // No permission, or no regular file: as unreadable as a missing one, not a file without
    // frames.
    return TMp3HeaderResult::mhrUnreadable;
  }
  if (!header) return TMp3HeaderResult::mhrNoHeader;
  const uint8_t b1 = (*header)[1];
  const uint8_t b2 = (*header)[2];
  const uint8_t b3 = (*header)[3];
  info.Version = (b1 & 0x08) ? 1 : 2;
  const int layer_bits = (b1 >> 1) & 3;
  if (layer_bits == 0) return TMp3HeaderResult::mhrReservedLayer;
  info.Layer = static_cast<uint8_t>(4 - layer_bits);
  info.BitRate = Mp3BitRate(info.Version, info.Layer, b2 >> 4);
  info.SampleRate = Mp3SampleRate(info.Version, (b2 >> 2) & 3);
  info.Stereo = (b3 >> 6) != 3;
  return TMp3HeaderResult::mhrRead;
}

bool ReadMp3FileInfo(const std::string& path, TMp3FileInfo& info, TMP3Info& tags) {
  switch (ReadMp3HeaderInfo(path, info)) {
    case TMp3HeaderResult::mhrNoFile:
    case TMp3HeaderResult::mhrUnreadable:
    case TMp3HeaderResult::mhrReservedLayer:
      return false;
    case TMp3HeaderResult::mhrNoHeader:
      return true;
    case TMp3HeaderResult::mhrRead:
      break;
  }
  tags.Open(path);
  info.Title = tags.Title();
  info.Artist = tags.Artist();
  info.Album = TrimTrailingBlanks(tags.Album());
  info.Year = TrimTrailingBlanks(tags.Year());
  info.Comment = TrimTrailingBlanks(tags.Comment());
  SetDuration(tags, info);
  return true;
}

bool ReadMp3FileInfoOrEmpty(const std::string& path, TMp3FileInfo& info, TMP3Info& tags) {
  try {
    // An empty file has no stream to describe; it is as unreadable as a broken one.
    if (!IsEmptyFile(path) && ReadMp3FileInfo(path, info, tags)) return true;
  } catch (const std::exception&) {
  }
  info = TMp3FileInfo();
  return false;
}

bool ReadsAsMpegAudio(const std::string& path, TMP3Info& tags) {
  TMp3FileInfo info;
  // A file without any frame header reads without an error, but also without a sampling rate.
  return ReadMp3FileInfoOrEmpty(path, info, tags) && info.SampleRate != 0;
}

std::string FormatDuration(int64_t ms) {
  const int64_t seconds = std::max<int64_t>(ms, 0) / 1000;
  const auto two = [](int64_t n) { return (n < 10 ? "0" : "") + std::to_string(n); };
  if (seconds < 3600) return std::to_string(seconds / 60) + ":" + two(seconds % 60);
  return std::to_string(seconds / 3600) + ":" + two(seconds / 60 % 60) + ":" + two(seconds % 60);
}

std::string FormatGrouped(int64_t value, std::string_view separator) {
  const bool negative = value < 0;
  const uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : value;
  const std::string digits = std::to_string(magnitude);
  std::string out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) out.append(separator);
    out.push_back(digits[i]);
  }
  return negative ? "-" + out : out;
}

std::string FormatFileSize(int64_t size, std::string_view separator) {
  if (size >= 1000) return FormatGrouped((size + 500) / 1000, separator) + " KB";
  return FormatGrouped(size, separator) + " Byte";
}
