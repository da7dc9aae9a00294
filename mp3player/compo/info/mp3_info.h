#pragma once

#include <cstdint>
#include <initializer_list>
#include <limits>
#include <string>
#include <string_view>

#include "mp3player/compo/decoder/frame_header.h"
#include "mp3player/compo/info/info_list.h"
#include "mp3player/compo/info/vbr_header.h"

class TMPStreamReader;

// The kinds of wrapper and tag an MP3 file can carry, in the order of their bits.
enum TMP3InfoKind : uint8_t { mitID3V1, mitID3V2, mitRiff, mitMacBin, mitLyrics };

// A set of TMP3InfoKind, for what a file holds and for what the text getters consult.
class TMP3InfoType {
 public:
  constexpr TMP3InfoType() = default;
  constexpr TMP3InfoType(std::initializer_list<TMP3InfoKind> kinds) {
    for (auto kind : kinds) Include(kind);
  }
  constexpr bool Contains(TMP3InfoKind kind) const { return (bits_ >> kind) & 1; }
  constexpr void Include(TMP3InfoKind kind) { bits_ = static_cast<uint8_t>(bits_ | 1 << kind); }
  constexpr void Exclude(TMP3InfoKind kind) { bits_ = static_cast<uint8_t>(bits_ & ~(1 << kind)); }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr uint8_t Bits() const { return bits_; }
  constexpr bool operator==(const TMP3InfoType&) const = default;

 private:
  uint8_t bits_ = 0;
};

// Finds where the MPEG audio data of a file lies (past MacBinary, RIFF and ID3v2 wrappers, and
// before the ID3v1 and Lyrics3 tags at the end) and what its tags say. The player attaches it to
// its own reader; the file list calls Open with a path.
class TMP3Info {
 public:
  static constexpr int32_t kUnknownSize = std::numeric_limits<int32_t>::max();

  TMP3Info();
  ~TMP3Info();
  TMP3Info(const TMP3Info&) = delete;
  TMP3Info& operator=(const TMP3Info&) = delete;

  void Clear();
  // With a reader: clears all results and reads through it from its current position, which
  // must be the start of the file. With none: drops the reader and keeps the results.
  void Attach(TMPStreamReader* reader);

  // The wrappers and the ID3v2 tag at the start; true when audio bytes follow.
  bool ReadHeadTags();
  // The first frame header within 4096 positions of the reader; sets DataStart to it and reads
  // the stream's facts from that frame and the ones already read behind it.
  bool FindFirstFrame();
  // The RIFF INFO list, ID3v1 and Lyrics3 tags at the end; false when the size is unknown.
  bool ReadTailTags();
  // Reads everything about a file. Raises the file's error when it cannot be read, and
  // TMPFormatError when it holds no MPEG audio; the results are cleared then.
  void Open(const std::string& path);

  // Text merged from the tags in NeedInfoType: the longest of the ID3v1, ID3v2 and RIFF values
  // (the first in that order among equally long ones).
  std::string Title() const;  // Falls back to the file name given to Open.
  std::string Artist() const;
  std::string Album() const;
  std::string Year() const;
  std::string Comment() const;

  TMP3InfoType FoundTypes() const { return found_types_; }
  const std::string& FileName() const { return file_name_; }
  int32_t DataStart() const { return data_start_; }
  int32_t DataSize() const { return data_size_; }
  const TMPInfoList& RiffInfo() const { return riff_info_; }
  const TMPInfoList& ID3v1Info() const { return id3v1_info_; }
  int32_t ID3v1Offset() const { return id3v1_offset_; }
  const TMPInfoList& ID3v2Info() const { return id3v2_info_; }
  const TMPInfoList& LyricsInfo() const { return lyrics_info_; }
  int32_t LyricsOffset() const { return lyrics_offset_; }
  TMP3InfoType NeedInfoType() const { return need_info_type_; }
  // The first frame's header, what a Xing, "Info" or VBRI header in that frame says, and the
  // frames read with it (a variable-bit-rate stream that no header counts has a length that can
  // only be estimated, from their average size).
  const TMPAudioHeader& FirstHeader() const { return first_header_; }
  const TMPVbrHeader& VbrHeader() const { return vbr_header_; }
  struct TFrameSample {
    int32_t frames = 0;  // the first frame included
    int64_t bytes = 0;
    bool bitRateVaries = false;
  };
  const TFrameSample& FrameSample() const { return frame_sample_; }
  void SetNeedInfoType(TMP3InfoType types) { need_info_type_ = types; }

 private:
  // The readers of the single formats; each answers whether it recognised its format.
  bool ReadMacBinary();
  bool ReadRiffHead();
  bool FindChunk(std::string_view id, std::string_view list_type);
  bool ReadRiffInfoList();
  bool ReadID3v2();
  bool ReadID3v1();
  bool ReadLyrics3();

  void ReadStreamFacts(const TMPAudioHeader& header, int32_t frameLength);
  void ReadRiffTail();
  bool ReadLyrics3v1(int32_t end9);
  bool ReadLyrics3v2(int32_t end9);
  void AddID3v2Frame(std::string_view id, std::string_view content, uint8_t major);
  std::string Merged(std::string_view v1_name, std::string_view v2_name,
                     std::string_view riff_name) const;

  // Reader helpers: the checked forms of the reader's own operations.
  TMPStreamReader& Reader() const;
  int32_t Position() const;
  bool Available(int64_t n) const;
  bool SkipBytes(int64_t n);
  bool SeekTo(int64_t offset);
  bool ReadBytes(int32_t n, std::string& out);
  std::string_view Bytes(int32_t n) const;
  int32_t FileEnd() const;

  TMPStreamReader* reader_ = nullptr;
  TMP3InfoType found_types_;
  std::string file_name_;
  int32_t data_start_ = 0;
  int32_t data_size_ = kUnknownSize;
  int32_t macbin_data_start_ = 0;
  int32_t macbin_data_length_ = 0;
  int32_t macbin_data_end_ = 0;
  int32_t macbin_resource_length_ = 0;
  int32_t riff_data_start_ = 0;
  int32_t riff_data_size_ = kUnknownSize;
  TMPInfoList riff_info_;
  TMPInfoList id3v1_info_;
  int32_t id3v1_offset_ = 0;
  TMPInfoList id3v2_info_;
  TMPInfoList lyrics_info_;
  int32_t lyrics_offset_ = 0;
  TMPAudioHeader first_header_;
  TMPVbrHeader vbr_header_;
  TFrameSample frame_sample_;
  TMP3InfoType need_info_type_{mitID3V1, mitID3V2, mitRiff};
};
