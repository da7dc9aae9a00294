// The wrappers that decide where the audio data lies: the MacBinary header and the RIFF chunks
// (with the text of the RIFF INFO list).

#include <algorithm>

#include "mp3player/compo/assertion.h"
#include "mp3player/compo/byte_order.h"
#include "mp3player/compo/info/mp3_info.h"
#include "mp3player/compo/info/tag_text.h"
#include "mp3player/compo/io/stream_reader.h"

namespace {

constexpr int32_t kMacBinaryHeader = 128;
constexpr int32_t kChunkHeader = 8;
constexpr int32_t kListHeader = 12;

int64_t RoundUpToEven(int64_t length) { return length + (length & 1); }

}  // namespace

bool TMP3Info::ReadMacBinary() {
  if (!Available(kMacBinaryHeader)) return false;
  const std::string_view h = Bytes(kMacBinaryHeader);
  const auto name_length = static_cast<uint8_t>(h[1]);
  const int32_t data_length = BigEndian32(h, 83);
  const int32_t resource_length = BigEndian32(h, 87);
  if (h[0] != 0 || name_length < 1 || name_length > 31 || h[74] != 0 || h[82] != 0 ||
      data_length < 0 || resource_length < 0) {
    return false;
  }
  if (!SkipBytes(kMacBinaryHeader)) return false;
  macbin_data_start_ = Position();
  macbin_data_length_ = data_length;
  macbin_data_end_ = static_cast<int32_t>(
      std::min<int64_t>(int64_t{macbin_data_start_} + data_length, kUnknownSize));
  macbin_resource_length_ = resource_length;
  return true;
}

bool TMP3Info::ReadRiffHead() {
  if (!Available(kListHeader) || Bytes(4) != "RIFF") return false;
  if (!SkipBytes(kListHeader) || !FindChunk("data", {})) return false;
  const int32_t length = LittleEndian32(Bytes(kChunkHeader), 4);
  if (length <= 0 || !SkipBytes(kChunkHeader)) return false;
  riff_data_start_ = Position();
  riff_data_size_ = length;
  return true;
}

bool TMP3Info::FindChunk(std::string_view id, std::string_view list_type) {
  for (;;) {
    if (!Available(kChunkHeader)) return false;
    const int32_t length = LittleEndian32(Bytes(kChunkHeader), 4);
    if (length < 1) return false;
    if (Bytes(4) == id) {
      if (list_type.empty()) return true;
      if (!Available(kListHeader)) return false;
      if (Bytes(kListHeader).substr(8) == list_type) return true;
    }
    if (!SkipBytes(RoundUpToEven(int64_t{length} + kChunkHeader))) return false;
  }
}

bool TMP3Info::ReadRiffInfoList() {
  if (!Available(kChunkHeader)) return false;
  const int32_t length = LittleEndian32(Bytes(kChunkHeader), 4);
  if (length < 0 || Bytes(4) != "LIST") return false;
  if (!Available(kListHeader) || Bytes(kListHeader).substr(8) != "INFO") return false;
  const int64_t list_end = int64_t{Position()} + kChunkHeader + length;
  if (!SkipBytes(kListHeader)) return false;
  while (Position() < list_end) {
    if (!Available(kChunkHeader)) return false;
    const std::string id = FixedWidthText(Bytes(4));
    const int32_t size = LittleEndian32(Bytes(kChunkHeader), 4);
    if (!SkipBytes(kChunkHeader) || size < 0) return false;
    // An embedded ID3 tag closes the list; its frames are not read from here.
    if (id == "IID3") return true;
    if (!Available(size)) return false;
    const std::string text = FixedWidthText(Bytes(size));
    if (!id.empty() && !text.empty()) riff_info_.Add(id, text);
    if (!SkipBytes(RoundUpToEven(size))) return false;
  }
  return true;
}

void TMP3Info::ReadRiffTail() {
  // The INFO list is optional decoration: whatever goes wrong here leaves the entries read so
  // far and does not spoil the rest of the file's information.
  try {
    const int64_t data_end = RoundUpToEven(int64_t{riff_data_start_} + riff_data_size_);
    if (data_end > FileEnd() || !SeekTo(data_end)) return;
    if (FindChunk("LIST", "INFO")) ReadRiffInfoList();
  } catch (const TMPAssertionError&) {
    throw;
  } catch (const std::exception&) {
  }
}
