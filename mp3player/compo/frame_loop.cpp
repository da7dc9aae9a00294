#include "mp3player/compo/frame_loop.h"

#include <algorithm>
#include <cstring>

#include "mp3player/compo/stream_reader.h"

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
  reader.Fill(kSearchLimit);
  reader.Ensure(std::min(kSearchLimit, reader.Count()));
  const int32_t available = std::min({kSearchLimit, reader.Count(), audio_size});
  TMPAudioHeader header;
  int32_t bitrate = 0, offset = 0;
  const int32_t length = MPFindSync(reader.Data(), available, header, bitrate, offset);
  if (length <= 0) return false;
  reader.Skip(offset);
  if (!reader.Ensure(4)) return false;
  reference_ = LittleEndian(reader.Data());
  // The per-frame check parses headers without the following bytes, which cannot measure a
  // free-format frame: keep the size measured here for them.
  free_size_ = header.bitrate_index == 0 ? length : 0;
  frame_size_ = 0;
  skipped_ = 0;
  need_restart_ = true;
  if (!StartDecoder(reader.Data())) return false;
  MPGetDecodeInfo(info_);
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

int32_t TMPFrameLoop::SkipByte() {
  if (skipped_ >= kSearchLimit || !reader_->Skip(1)) {
    audio_size_ = reader_->Position() - audio_start_;
    return kEnd;
  }
  ++skipped_;
  return kSkipped;
}

int32_t TMPFrameLoop::Step(uint8_t* pcm) {
  TMPStreamReader& r = *reader_;
  if (r.Position() - audio_start_ >= audio_size_) return kEnd;
  if (frame_size_ <= 0) {
    if (!r.Ensure(4)) {
      audio_size_ = r.Position() - audio_start_;
      return kEnd;
    }
    frame_size_ = CheckFrame(r.Data());
    if (frame_size_ <= 0) return SkipByte();
  }
  if (need_restart_ && !StartDecoder(r.Data())) {
    frame_size_ = 0;
    return SkipByte();
  }
  if (!r.Ensure(frame_size_)) {
    audio_size_ = r.Position() - audio_start_;
    return kEnd;
  }
  const TMPDecodeResult result = MPDecodeFrame(r.Data(), pcm);
  r.Skip(frame_size_);
  frame_size_ = 0;
  skipped_ = 0;
  const int32_t bytes = PcmBytesPerFrame();
  if (result.in_bytes < 1) std::memset(pcm, 0, bytes);
  return bytes;
}
