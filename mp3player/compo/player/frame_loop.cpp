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
  const int32_t first = FindFirstFrame(std::min({kSearchLimit, reader.Count(), audio_size}));
  if (first < 0 || !reader.Skip(first)) return false;
  audio_start_ += first;
  if (audio_size_ != TMP3Info::kUnknownSize) audio_size_ -= first;
  if (!reader.Ensure(4)) return false;
  frame_size_ = 0;
  skipped_ = 0;
  need_restart_ = true;
  if (!StartDecoder(reader.Data())) return false;
  MPGetDecodeInfo(info_);
  return SkipVbrHeader();
}

// The offset of the first frame within the `available` bytes at the reader, or -1. Junk can
// look like a frame header; a real one is followed, where its length says, by the header of the
// next frame of the same stream (or by the end of the data).
int32_t TMPFrameLoop::FindFirstFrame(int32_t available) {
  for (int32_t from = 0; from < available; ++from) {
    int32_t offset = -1;
    const int32_t length =
        MPFindSync(reader_->Data() + from, available - from, header_, bitrate_, offset);
    if (offset < 0) return -1;
    from += offset;
    if (length > 0 && IsFollowedByFrame(from, length)) return from;
  }
  return -1;
}

// Takes the header at `at` as the stream's reference and checks the frame after it.
bool TMPFrameLoop::IsFollowedByFrame(int32_t at, int32_t length) {
  reference_ = LittleEndian(reader_->Data() + at);
  // The per-frame check parses headers without the following bytes, which cannot measure a
  // free-format frame: keep the size measured here for them.
  free_size_ = header_.bitrate_index == 0 ? length : 0;
  const int32_t size = CheckFrame(reader_->Data() + at);
  if (size <= 0) return false;
  const int32_t next = at + size;
  if (next + 4 > audio_size_ || !reader_->Ensure(next + 4)) {
    return next <= std::min(reader_->Count(), audio_size_);
  }
  return CheckFrame(reader_->Data() + next) > 0;
}

// The header frame is not audio: the data starts behind it.
bool TMPFrameLoop::SkipVbrHeader() {
  const int32_t size = CheckFrame(reader_->Data());
  if (size <= 0 || !reader_->Ensure(size)) return false;
  vbr_ = MPReadVbrHeader(reader_->Data(), size, header_);
  if (!vbr_.found) return true;
  // The header's byte count ends the data before anything appended behind the stream, unless
  // it claims more than there is.
  if (vbr_.bytes > size && vbr_.bytes <= audio_size_) audio_size_ = vbr_.bytes;
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
  if (int64_t{r.Position()} + frame_size_ > int64_t{audio_start_} + audio_size_ ||
      !r.Ensure(frame_size_)) {
    return EndMark();
  }
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
  // As many bytes are crossed as playback crosses.
  for (int32_t skipped = 0;; ++skipped) {
    if (skipped > kSearchLimit || !r.Ensure(4)) return false;
    size = CheckFrame(r.Data());
    if (size > 0) break;
    if (!r.Skip(1)) return false;
  }
  if (int64_t{r.Position()} + size > int64_t{audio_start_} + audio_size_) return false;
  return r.Skip(size);
}
