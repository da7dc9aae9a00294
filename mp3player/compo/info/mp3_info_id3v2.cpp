// The ID3v2 tag at the start of the audio data. Versions 2.3 (without unsynchronisation) and 2.4
// have their frames read; other versions are passed whole.

#include <optional>
#include <vector>

#include "mp3player/compo/byte_order.h"
#include "mp3player/compo/info/mp3_info.h"
#include "mp3player/compo/info/tag_text.h"
#include "mp3player/compo/io/stream_reader.h"
#include "platform/codepage.h"
#include "platform/utf8.h"

namespace {

constexpr int32_t kTagHeader = 10;
constexpr int32_t kFrameHeader = 10;
constexpr uint8_t kUnsynchronisation = 0x80;
constexpr uint8_t kExtendedHeader = 0x40;
// The second flag byte of a version 2.4 frame: what lies between the header and the content.
constexpr uint8_t kGroupingIdentity = 0x40;
constexpr uint8_t kCompressed = 0x08;
constexpr uint8_t kEncrypted = 0x04;
constexpr uint8_t kFrameUnsynchronisation = 0x02;
constexpr uint8_t kDataLengthIndicator = 0x01;
enum TTextEncoding : uint8_t { teCodePage, teUtf16, teUtf16BigEndian, teUtf8 };

// A version 2.4 size: four bytes of seven bits each. Some writers store a plain 32-bit number
// there; a byte with its high bit set cannot belong to a seven-bit size and shows that form.
int32_t SynchsafeSize(std::string_view bytes, size_t at) {
  int32_t size = 0;
  for (size_t i = at; i < at + 4; ++i) {
    if (static_cast<uint8_t>(bytes[i]) & 0x80) return BigEndian32(bytes, at);
    size = size * 128 + static_cast<uint8_t>(bytes[i]);
  }
  return size;
}

// Undoes unsynchronisation: the writer put a zero byte after every 0xFF.
std::string Resynchronised(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i) {
    out.push_back(bytes[i]);
    if (static_cast<uint8_t>(bytes[i]) == 0xFF && i + 1 < bytes.size() && bytes[i + 1] == 0) ++i;
  }
  return out;
}

// A UTF-16 comment: language, description and text, the description ending at the first NUL
// unit. Taking the bytes after the last NUL byte would cut the UTF-16 text to pieces.
std::string Utf16Comment(std::string_view text) {
  text.remove_prefix(std::min<size_t>(3, text.size()));
  for (size_t i = 0; i + 1 < text.size(); i += 2) {
    if (text[i] == 0 && text[i + 1] == 0) return Utf16Text(text.substr(i + 2));
  }
  return {};
}

// The strings of a version 2.4 text, split at the encoding's NUL terminator (one byte, or one
// aligned UTF-16 unit); a closing terminator leaves an empty last string.
std::vector<std::string_view> SplitAtTerminators(uint8_t encoding, std::string_view text) {
  const size_t unit = encoding == teUtf16 || encoding == teUtf16BigEndian ? 2 : 1;
  std::vector<std::string_view> pieces;
  size_t start = 0;
  for (size_t i = 0; i + unit <= text.size(); i += unit) {
    if (text[i] == 0 && (unit == 1 || text[i + 1] == 0)) {
      pieces.push_back(text.substr(start, i - start));
      start = i + unit;
    }
  }
  pieces.push_back(text.substr(std::min(start, text.size())));
  return pieces;
}

std::string DecodedString(uint8_t encoding, std::string_view bytes) {
  switch (encoding) {
    case teUtf16:
      return Utf16Text(bytes);
    case teUtf16BigEndian:
      return Utf16Text(bytes, true);
    case teUtf8:
      // A writer that declared UTF-8 but stored the code page is still read.
      return IsValidUtf8(bytes) ? std::string(bytes) : RawText(bytes);
    default:
      return FixedWidthText(bytes);
  }
}

// The non-empty strings from `first` on, joined with "/", as players show several artists.
std::string JoinedStrings(uint8_t encoding, const std::vector<std::string_view>& pieces,
                          size_t first) {
  std::string joined;
  for (size_t i = first; i < pieces.size(); ++i) {
    const std::string value = DecodedString(encoding, pieces[i]);
    if (value.empty()) continue;
    if (!joined.empty()) joined += '/';
    joined += value;
  }
  return joined;
}

// A version 2.4 frame's value. Text frames may hold several strings; a comment holds a language,
// a description and the text, a user link a description and the link.
std::string Version4Value(std::string_view id, uint8_t encoding, std::string_view text) {
  const bool comment = id == "COMM";
  if (comment) text.remove_prefix(std::min<size_t>(3, text.size()));
  if (!comment && id != "WXXX" && !id.starts_with('T')) return FixedWidthText(text);
  const std::vector<std::string_view> pieces = SplitAtTerminators(encoding, text);
  const bool described = comment || id == "WXXX" || id == "TXXX";
  return JoinedStrings(encoding, pieces, described && pieces.size() > 1 ? 1 : 0);
}

// A version 2.4 frame's content: past the grouping byte and the data length, resynchronised
// when the frame or the whole tag says so; nothing for a compressed or encrypted frame.
std::optional<std::string> Version4Content(std::string_view frame, bool unsynchronised) {
  const auto flags = static_cast<uint8_t>(frame[9]);
  if (flags & (kCompressed | kEncrypted)) return std::nullopt;
  size_t skip = kFrameHeader;
  if (flags & kGroupingIdentity) skip += 1;
  if (flags & kDataLengthIndicator) skip += 4;
  if (skip >= frame.size()) return std::nullopt;
  const std::string_view content = frame.substr(skip);
  if (unsynchronised || (flags & kFrameUnsynchronisation)) return Resynchronised(content);
  return std::string(content);
}

}  // namespace

void TMP3Info::AddID3v2Frame(std::string_view id, std::string_view content, uint8_t major) {
  if (content.empty()) return;
  const auto encoding = static_cast<uint8_t>(content[0]);
  const std::string_view text = content.substr(1);
  std::string value;
  if (major == 4) {
    value = Version4Value(id, encoding, text);
  } else if (encoding == teUtf16 && id.starts_with('T')) {
    value = Utf16Text(text);
  } else if (encoding == teUtf16 && id == "COMM") {
    value = Utf16Comment(text);
  } else if (id == "COMM" || id == "WXXX") {
    value = TextAfterLastNul(text);
  } else {
    value = FixedWidthText(text);
  }
  id3v2_info_.Add(FixedWidthText(id), value);
}

bool TMP3Info::ReadID3v2() {
  if (!Available(kTagHeader)) return false;
  const std::string_view header = Bytes(kTagHeader);
  if (header.substr(0, 3) != "ID3") return false;
  const auto major = static_cast<uint8_t>(header[3]);
  const auto flags = static_cast<uint8_t>(header[5]);
  const int32_t size = ID3v2SizeField(header);
  if (size == 0) return false;
  const bool version4 = major == 4;
  const bool footer = ID3v2HasFooter(header);
  const bool unsynchronised = flags & kUnsynchronisation;
  if (!(major == 3 && !unsynchronised) && !version4) return SkipBytes(int64_t{kTagHeader} + size);

  const int64_t tag_end = int64_t{Position()} + kTagHeader + size;
  int64_t frames_offset = kTagHeader;
  if (flags & kExtendedHeader) {
    if (!Available(kTagHeader + 4)) return false;
    // Version 2.4 counts the size field in the extended header's size, version 2.3 does not.
    const std::string_view extended_header = Bytes(kTagHeader + 4);
    const int32_t extended = version4 ? SynchsafeSize(extended_header, kTagHeader) - 4
                                      : BigEndian32(extended_header, kTagHeader);
    if (extended < 0 || extended > size) return false;
    frames_offset += 4 + int64_t{extended};
  }
  if (!SkipBytes(frames_offset)) return false;

  while (tag_end - Position() >= kFrameHeader) {
    if (!Available(kFrameHeader)) return false;
    const std::string_view frame_header = Bytes(kFrameHeader);
    const int32_t frame_size =
        version4 ? SynchsafeSize(frame_header, 4) : BigEndian32(frame_header, 4);
    if (frame_size <= 0) {
      // Padding after the last frame.
      SkipBytes(tag_end - Position());
      break;
    }
    const int64_t frame_length = int64_t{kFrameHeader} + frame_size;
    if (frame_length <= Reader().Capacity()) {
      if (!Available(frame_length)) return false;
      const std::string_view frame = Bytes(static_cast<int32_t>(frame_length));
      if (!version4) {
        AddID3v2Frame(frame.substr(0, 4), frame.substr(kFrameHeader), major);
      } else if (const auto content = Version4Content(frame, unsynchronised)) {
        AddID3v2Frame(frame.substr(0, 4), *content, major);
      }
    }
    if (Position() + frame_length > tag_end || !SkipBytes(frame_length)) return false;
  }
  if (Position() != tag_end) return false;
  return !footer || SkipBytes(kTagHeader);
}
