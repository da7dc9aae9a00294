#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

class TMP3Info;

// What the file list shows of one MP3 file: the tag texts and the facts of its first frame
// header. A record starts with empty texts and zero numbers.
struct TMp3FileInfo {
  std::string Title;
  std::string Artist;
  std::string Album;
  std::string Year;
  std::string Comment;
  uint8_t Version = 0;  // 1 MPEG-1, 2 MPEG-2.
  uint8_t Layer = 0;
  uint16_t BitRate = 0;     // kbit/s.
  uint16_t SampleRate = 0;  // Hz.
  bool Stereo = false;
  int64_t DurationMs = 0;          // the playing time; 0 when the stream does not tell it
  bool DurationEstimated = false;  // the bit rate varies and no header counts the frames
};

// The first four bytes in the file that begin with a 12-bit frame sync, searched in 4096-byte
// blocks; nullopt when there is none. A file that cannot be opened or read raises
// std::system_error.
std::optional<std::array<uint8_t, 4>> FindFrameHeader(const std::string& path);

enum class TMp3HeaderResult { mhrNoFile, mhrUnreadable, mhrNoHeader, mhrReservedLayer, mhrRead };

// Fills the stream facts (version, layer, bit rate, sampling rate, stereo) from the file's
// first frame header. The record stays as it is without a header; with the reserved layer only
// the version is set.
TMp3HeaderResult ReadMp3HeaderInfo(const std::string& path, TMp3FileInfo& info);

// The whole record of a file: the stream facts, then the tags through `tags` (the one reader the
// window shares). False when the file is missing or cannot be opened, or its first header has
// the reserved layer; true without tags when the file has no frame header at all. The tag
// reader's errors (no MPEG audio where the tags end) pass to the caller.
bool ReadMp3FileInfo(const std::string& path, TMp3FileInfo& info, TMP3Info& tags);

// The file information of a file, or false with an empty record when it cannot be had: a
// missing file, a reserved layer, or a file the tag reader refuses (empty, truncated, not MPEG
// audio, unreadable). One bad file must not stop the listing of the others, so the reader's
// errors end here.
bool ReadMp3FileInfoOrEmpty(const std::string& path, TMp3FileInfo& info, TMP3Info& tags);

// True when the file reads as MPEG audio: the file list shows stream facts for it (a frame
// header with a sampling rate, and tags the reader accepts). Anything else could neither be
// previewed nor played by the game.
bool ReadsAsMpegAudio(const std::string& path, TMP3Info& tags);

// A playing time as "m:ss", or "h:mm:ss" from an hour on; seconds are cut, not rounded, as a
// player's clock shows them.
std::string FormatDuration(int64_t ms);

// Bit rate in kbit/s by version (1, 2), layer (1..3) and the header's 4-bit index; 0 for
// indices 0 and 15.
uint16_t Mp3BitRate(uint8_t version, uint8_t layer, uint8_t index);
// Sampling rate in Hz by version (1, 2) and the header's 2-bit index; 0 for index 3.
uint16_t Mp3SampleRate(uint8_t version, uint8_t index);

// A whole number with digit groups of three, joined by `separator`.
std::string FormatGrouped(int64_t value, std::string_view separator = ",");

// A file size for the list: whole kilobytes of 1000 bytes, rounded, with " KB" from 1000 bytes
// on, else the bytes with " Byte".
std::string FormatFileSize(int64_t size, std::string_view separator = ",");
