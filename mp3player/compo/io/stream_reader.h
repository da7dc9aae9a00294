#pragma once

#include <cstdint>
#include <memory>

#include "mp3player/compo/io/stream.h"

// A ring buffer of fixed capacity in front of a stream. Callers look at the next bytes as one
// contiguous block (`Ensure`, `Data`) and move on by skipping or seeking; `Position` is the
// absolute stream offset of the first unread byte. The stream is read in pieces of at least
// 16 KiB whenever less than that is missing, so that frame-by-frame reading does not cost one
// stream read per frame. There is no locking inside: the owner serialises all calls.
class TMPStreamReader {
 public:
  explicit TMPStreamReader(int32_t capacity);
  ~TMPStreamReader();
  TMPStreamReader(const TMPStreamReader&) = delete;
  TMPStreamReader& operator=(const TMPStreamReader&) = delete;

  // Starts reading `stream` (not owned) at its current position, which counts as position 0.
  void Attach(TMPStream* stream, bool seekable);
  void Detach();

  // Makes at least `n` bytes unread in the buffer; false only when the stream ends first (the
  // bytes read are kept).
  bool Fill(int32_t n);
  // Makes the next `n` bytes available in one piece at `Data`.
  bool Ensure(int32_t n);
  // Reads up to 16 KiB more if there is room; false when the buffer is full or nothing more
  // could be read.
  bool ReadAhead();
  // Positions the stream (origin 0: from the beginning, 1: from `Position`, 2: from the end)
  // and empties the buffer. Returns the new position.
  int32_t Seek(int32_t offset, int origin);
  // Moves forward `n` bytes; false when that passes the end of the stream.
  bool Skip(int32_t n);

  const uint8_t* Data() const { return buffer_.get() + start_; }
  TMPStream* Stream() const { return stream_; }
  int32_t Size() const { return size_; }
  bool Seekable() const { return seekable_; }
  bool Active() const { return active_; }
  int32_t Start() const { return start_; }
  int32_t Count() const { return count_; }
  int32_t Capacity() const { return capacity_; }
  int32_t Position() const { return position_; }
  int32_t Contiguous() const { return contiguous_; }

 private:
  void Linearise();
  void UpdateContiguous();

  TMPStream* stream_ = nullptr;
  int32_t size_ = 0;
  bool seekable_ = false;
  bool active_ = false;
  std::unique_ptr<uint8_t[]> buffer_;
  int32_t start_ = 0;
  int32_t count_ = 0;
  int32_t capacity_;
  int32_t position_ = 0;
  int32_t contiguous_ = 0;
};
