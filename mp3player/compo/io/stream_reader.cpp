#include "mp3player/compo/io/stream_reader.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "mp3player/compo/assertion.h"

namespace {

constexpr int32_t kPiece = 16384;

}  // namespace

TMPStreamReader::TMPStreamReader(int32_t capacity) : capacity_(capacity) {
  MP_ASSERT(capacity > 0);
}

TMPStreamReader::~TMPStreamReader() { Detach(); }

void TMPStreamReader::Attach(TMPStream* stream, bool seekable) {
  MP_ASSERT(stream != nullptr);
  Detach();
  active_ = true;
  stream_ = stream;
  seekable_ = seekable;
  position_ = contiguous_ = start_ = count_ = 0;
  try {
    // operator new aligns to at least 8 bytes, which the frame code relies on.
    buffer_ = std::make_unique_for_overwrite<uint8_t[]>(static_cast<size_t>(capacity_));
    if (seekable_) size_ = stream_->Size();
  } catch (...) {
    Detach();
    throw;
  }
}

void TMPStreamReader::Detach() {
  if (!active_) return;
  stream_ = nullptr;
  contiguous_ = 0;
  size_ = 0;
  buffer_.reset();
  active_ = false;
}

void TMPStreamReader::UpdateContiguous() {
  contiguous_ = start_ + count_ > capacity_ ? capacity_ - start_ : count_;
}

bool TMPStreamReader::Fill(int32_t n) {
  MP_ASSERT(active_ && buffer_ != nullptr);
  MP_ASSERT(n >= 0 && n <= capacity_);
  while (count_ < n) {
    int32_t piece = n - count_;
    if (piece < kPiece) piece = std::min(kPiece, capacity_ - count_);
    const int32_t write = (start_ + count_) % capacity_;
    piece = std::min(piece, capacity_ - write);
    const int32_t got = stream_->Read(buffer_.get() + write, piece);
    if (got <= 0) break;
    count_ += std::min(got, piece);
  }
  UpdateContiguous();
  return count_ >= n;
}

bool TMPStreamReader::Ensure(int32_t n) {
  MP_ASSERT(active_);
  if (!Fill(n)) return false;
  if (contiguous_ < n) Linearise();
  MP_ASSERT(contiguous_ >= n);
  return true;
}

void TMPStreamReader::Linearise() {
  uint8_t* buffer = buffer_.get();
  const int32_t wrapped = start_ + count_ - capacity_;
  const int32_t tail = capacity_ - start_;
  if (wrapped <= 0) {
    std::memmove(buffer, buffer + start_, static_cast<size_t>(count_));
  } else if (count_ < start_) {
    // The wrapped bytes end before the tail begins once moved up, so the areas stay apart.
    std::memmove(buffer + tail, buffer, static_cast<size_t>(wrapped));
    std::memmove(buffer, buffer + start_, static_cast<size_t>(tail));
  } else {
    std::vector<uint8_t> saved(buffer + start_, buffer + capacity_);
    std::memmove(buffer + tail, buffer, static_cast<size_t>(wrapped));
    std::memcpy(buffer, saved.data(), saved.size());
  }
  start_ = 0;
  contiguous_ = count_;
}

bool TMPStreamReader::ReadAhead() {
  MP_ASSERT(active_);
  if (count_ == capacity_) return false;
  return Fill(count_ + std::min(capacity_ - count_, kPiece));
}

int32_t TMPStreamReader::Seek(int32_t offset, int origin) {
  MP_ASSERT(active_ && seekable_);
  // The stream stands ahead of `Position` by the buffered bytes, so a relative seek is made
  // absolute from `Position` rather than from wherever the stream happens to be.
  if (origin == 1) {
    offset = static_cast<int32_t>(std::clamp<int64_t>(int64_t{position_} + offset, 0, INT32_MAX));
    origin = 0;
  }
  position_ = stream_->Seek(offset, origin);
  start_ = count_ = contiguous_ = 0;
  return position_;
}

bool TMPStreamReader::Skip(int32_t n) {
  MP_ASSERT(active_);
  MP_ASSERT(n >= 0);
  if (n <= count_) {
    count_ -= n;
    start_ = (start_ + n) % capacity_;
    position_ += n;
    return true;
  }
  if (seekable_) {
    if (int64_t{position_} + n > size_) {
      Seek(0, 2);
      return false;
    }
    Seek(n, 1);
    return true;
  }
  int32_t rest = n;
  while (Fill(1)) {
    Fill(capacity_);
    if (rest <= count_) return Skip(rest);
    rest -= count_;
    position_ += count_;
    count_ = start_ = 0;
  }
  return false;
}
