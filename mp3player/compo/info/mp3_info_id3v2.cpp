// The ID3v2 tag at the start of the audio data. Only version 2.3 without unsynchronisation has
// its frames read; other versions are passed whole.

#include "mp3player/compo/byte_order.h"
#include "mp3player/compo/info/mp3_info.h"
#include "mp3player/compo/io/stream_reader.h"
#include "mp3player/compo/info/tag_text.h"

namespace {

constexpr int32_t kTagHeader = 10;
constexpr int32_t kFrameHeader = 10;
constexpr uint8_t kUnsynchronisation = 0x80;
constexpr uint8_t kExtendedHeader = 0x40;
constexpr uint8_t kUtf16 = 1;

// A UTF-16 comment: language, description and text, the description ending at the first NUL
// unit. Taking the bytes after the last NUL byte would cut the UTF-16 text to pieces.
std::string Utf16Comment(std::string_view text) {
  text.remove_prefix(std::min<size_t>(3, text.size()));
  for (size_t i = 0; i + 1 < text.size(); i += 2) {
    if (text[i] == 0 && text[i + 1] == 0) return Utf16Text(text.substr(i + 2));
  }
  return {};
}

}  // namespace

void TMP3Info::AddID3v2Frame(std::string_view id, std::string_view content) {
  const auto encoding = static_cast<uint8_t>(content[0]);
  const std::string_view text = content.substr(1);
  std::string value;
  if (encoding == kUtf16 && id.starts_with('T')) {
    value = Utf16Text(text);
  } else if (encoding == kUtf16 && id == "COMM") {
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
  if (major != 3 || (flags & kUnsynchronisation)) return SkipBytes(int64_t{kTagHeader} + size);

  const int64_t tag_end = int64_t{Position()} + kTagHeader + size;
  int64_t frames_offset = kTagHeader;
  if (flags & kExtendedHeader) {
    if (!Available(kTagHeader + 4)) return false;
    const int32_t extended = BigEndian32(Bytes(kTagHeader + 4), kTagHeader);
    if (extended < 0 || extended > size) return false;
    frames_offset += 4 + int64_t{extended};
  }
  if (!SkipBytes(frames_offset)) return false;

  while (tag_end - Position() >= kFrameHeader) {
    if (!Available(kFrameHeader)) return false;
    const int32_t frame_size = BigEndian32(Bytes(kFrameHeader), 4);
    if (frame_size <= 0) {
      // Padding after the last frame.
      SkipBytes(tag_end - Position());
      break;
    }
    const int64_t frame_length = int64_t{kFrameHeader} + frame_size;
    if (frame_length <= Reader().Capacity()) {
      if (!Available(frame_length)) return false;
      const std::string_view frame = Bytes(static_cast<int32_t>(frame_length));
      AddID3v2Frame(frame.substr(0, 4), frame.substr(kFrameHeader));
    }
    if (Position() + frame_length > tag_end || !SkipBytes(frame_length)) return false;
  }
  return Position() == tag_end;
}
