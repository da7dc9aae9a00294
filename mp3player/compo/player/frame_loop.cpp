#include "mp3player/compo/player/frame_loop.h"

#include <algorithm>
#include <cstring>

#include "mp3player/compo/info/mp3_info.h"
#include "mp3player/compo/info/vbr_header.h"
#include "mp3player/compo/io/stream_reader.h"

namespace {

constexpr uint32_t kHeaderMask = 0x000CFEFF;  // Sync, version, layer and sampling frequency.
constexpr int32_t kFrequencyLimit = 24000;

uint32_t LittleEndian(const uint8_t* bytes) {
  return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
         uint32_t{bytes[3]} << 24;
}

}  // namespace

bool TMPFrameLoop::Open(TMPStreamReader& reader, int32_t audio_size) {
  reader_ = &reader;
  audio_start_ = reader.Position();
  audio_size_ = audio_size;
  vbr_ = TMPVbrHeader();
  reader.Fill(kSearchLimit);
  reader.Ensure(std::min(kSearchLimit, reader.Count()));
  const int32_t available = std::min({kSearchLimit, reader.Count(), audio_size});
  const int32_t length = MPFindSync(reader.Data(), available, header_, bitrate_, skipped_);
  if (length <= 0) return false;
  if (!reader.Skip(skipped_)) return false;
  audio_start_ += skipped_;
  if (audio_size_ != TMP3Info::kUnknownSize) audio_size_ -= skipped_;
  if (!reader.Ensure(4)) return false;
  reference_ = LittleEndian(reader.Data());
  // The per-frame check parses headers without the following bytes, which cannot measure a
  // free-format frame: keep the size measured here for them.
  free_size_ = header_.bitrate_index == 0 ? length : 0;
  frame_size_ = 0;
  skipped_ = 0;
  need_restart_ = true;
  if (!StartDecoder(reader.Data())) return false;
  MPGetDecodeInfo(info_);
  return SkipVbrHeader();
}

// The header frame is not audio: the data starts behind it.
bool TMPFrameLoop::SkipVbrHeader() {
  const int32_t size = CheckFrame(reader_->Data());
  if (size <= 0 || !reader_->Ensure(size)) return false;
  vbr_ = MPReadVbrHeader(reader_->Data(), size, header_);
  if (!vbr_.found) return true;
  if (!reader_->Skip(size)) return false;
  audio_start_ += size;
  if (audio_size_ != TMP3Info::kUnknownSize) audio_size_ -= size;
  return true;
}

int32_t TMPFrameLoop::CheckFrame(const uint8_t* bytes) const {
  TMPAudioHeader header;
  int32_t length = MPParseHeader(bytes, 0, header);
  if (length == 0 && header.sync_kind != 0 && header.bitrate_index == 0) length = free_size_;
  if (length <= 0) return length;
  if (header.layer_code < 1 || header.layer_code > 3) return 0;
  if ((LittleEndian(bytes) ^ reference_) & kHeaderMask) return 0;
  return length + MPPaddingBytes(header);
}

bool TMPFrameLoop::StartDecoder(const uint8_t* bytes) {
  TMPAudioHeader header;
  const int32_t size = CheckFrame(bytes);
  if (size <= 0) return false;
  MPParseHeader(bytes, 0, header);
  // A restart on a frame of another channel mode keeps the layout the stream was opened with.
  header.mode = static_cast<int32_t>(reference_ >> 30);
  if (!MPDecodeInit(header, size - MPPaddingBytes(header), 0, 0, 0, kFrequencyLimit)) return false;
  need_restart_ = false;
  skipped_ = 0;
  return true;
}

// The data counts as ended where the reader stands.
int32_t TMPFrameLoop::EndMark() {
  audio_size_ = reader_->Position() - audio_start_;
  return kEnd;
}

int32_t TMPFrameLoop::SkipByte() {
  if (skipped_ >= kSearchLimit || !reader_->Skip(1)) return EndMark();
  ++skipped_;
  return kSkipped;
}

int32_t TMPFrameLoop::Step(uint8_t* pcm) {
  TMPStreamReader& r = *reader_;
  if (r.Position() - audio_start_ >= audio_size_) return kEnd;
  if (frame_size_ <= 0) {
    if (!r.Ensure(4)) return EndMark();
    frame_size_ = CheckFrame(r.Data());
    if (frame_size_ <= 0) return SkipByte();
  }
  if (need_restart_ && !StartDecoder(r.Data())) {
    frame_size_ = 0;
    return SkipByte();
  }
  if (!r.Ensure(frame_size_)) return EndMark();
  const TMPDecodeResult result = MPDecodeFrame(r.Data(), pcm);
  r.Skip(frame_size_);
  frame_size_ = 0;
  skipped_ = 0;
  const int32_t bytes = PcmBytesPerFrame();
  if (result.in_bytes < 1) std::memset(pcm, 0, bytes);
  return bytes;
}

bool TMPFrameLoop::StepOverFrame() {
  TMPStreamReader& r = *reader_;
  int32_t size = 0;
  for (int32_t skipped = 0;; ++skipped) {
    if (skipped >= kSearchLimit || !r.Ensure(4)) return false;
    size = CheckFrame(r.Data());
    if (size > 0) break;
    if (!r.Skip(1)) return false;
  }
  if (int64_t{r.Position()} + size > int64_t{audio_start_} + audio_size_) return false;
  return r.Skip(size);
}
