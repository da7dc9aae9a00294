#include "platform/audio_queue_device.h"

#include <algorithm>
#include <cstring>

namespace {

// The largest piece handed to the sink at once; the scaled copy is made piece by piece.
constexpr size_t kPieceBytes = 16384;

int ScaleSample16(int sample, uint16_t level) {
  return static_cast<int>(static_cast<int64_t>(sample) * level / 65535);
}

}  // namespace

void ScalePcm(const TAudioFormat& format, TAudioVolume volume, const uint8_t* source, uint8_t* dest,
              size_t size) {
  const uint16_t levels[2] = {volume.Left, format.Channels == 2 ? volume.Right : volume.Left};
  if (levels[0] == 0xFFFF && levels[1] == 0xFFFF) {
    std::memcpy(dest, source, size);
    return;
  }
  const size_t bytesPerSample = static_cast<size_t>(format.BitsPerSample / 8);
  const size_t samples = size / bytesPerSample;
  for (size_t i = 0; i < samples; ++i) {
    const uint16_t level = levels[i % static_cast<size_t>(format.Channels)];
    if (bytesPerSample == 2) {
      const auto sample = static_cast<int16_t>(source[2 * i] | (source[2 * i + 1] << 8));
      const auto scaled = static_cast<uint16_t>(ScaleSample16(sample, level));
      dest[2 * i] = static_cast<uint8_t>(scaled & 0xFF);
      dest[2 * i + 1] = static_cast<uint8_t>(scaled >> 8);
    } else {
      dest[i] = static_cast<uint8_t>(128 + ScaleSample16(source[i] - 128, level));
    }
  }
}

TAudioQueueDevice::TAudioQueueDevice(const TAudioFormat& format, std::unique_ptr<IAudioSink> sink,
                                     TAudioDoneCallback onDone)
    : format_(format), sink_(std::move(sink)), onDone_(std::move(onDone)) {
  const size_t block = static_cast<size_t>(format_.BlockAlign());
  scratch_.resize(std::max<size_t>(block, kPieceBytes / block * block));
  thread_ = std::thread([this] { Run(); });
}

TAudioQueueDevice::~TAudioQueueDevice() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  thread_.join();
}

void TAudioQueueDevice::Prepare(int index, const uint8_t* data, size_t /*capacity*/) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (buffers_.size() <= static_cast<size_t>(index))
    buffers_.resize(static_cast<size_t>(index) + 1);
  buffers_[static_cast<size_t>(index)] = data;
}

void TAudioQueueDevice::Write(int index, size_t size) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(TQueued{index, buffers_.at(static_cast<size_t>(index)), size, 0, false, 0});
  }
  wake_.notify_all();
}

void TAudioQueueDevice::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  sink_->Drop();
  paused_ = false;
  takenTotal_ = 0;
  while (!queue_.empty()) {
    const int index = queue_.front().index;
    queue_.pop_front();
    if (onDone_) onDone_(index);
  }
}

void TAudioQueueDevice::Pause() {
  std::lock_guard<std::mutex> lock(mutex_);
  paused_ = true;
  sink_->Pause();
}

uint64_t TAudioQueueDevice::Position() {
  std::lock_guard<std::mutex> lock(mutex_);
  return sink_->Played();
}

void TAudioQueueDevice::SetVolume(TAudioVolume volume) {
  std::lock_guard<std::mutex> lock(mutex_);
  volume_ = volume;
}

TAudioVolume TAudioQueueDevice::Volume() {
  std::lock_guard<std::mutex> lock(mutex_);
  return volume_;
}

void TAudioQueueDevice::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  while (!stopping_) {
    if (!paused_) {
      Feed();
      ReportPlayed();
    }
    if (queue_.empty() || paused_) {
      wake_.wait(lock);
    } else {
      const TQueued& front = queue_.front();
      wake_.wait_for(lock, sink_->WaitHint(front.allSent ? front.end : takenTotal_));
    }
  }
}

// Hands the sink as much of the queued data, in order, as it takes now. A buffer is finished
// when the sink has taken its last whole frame; a broken frame at its end cannot be played and
// is left out, so that the buffer is still reported.
void TAudioQueueDevice::Feed() {
  const size_t block = static_cast<size_t>(format_.BlockAlign());
  for (TQueued& buffer : queue_) {
    if (buffer.allSent) continue;
    while (buffer.size - buffer.sent >= block) {
      const size_t piece = std::min(buffer.size - buffer.sent, scratch_.size()) / block * block;
      ScalePcm(format_, volume_, buffer.data + buffer.sent, scratch_.data(), piece);
      const size_t taken = sink_->Take(scratch_.data(), piece);
      buffer.sent += taken;
      takenTotal_ += taken;
      if (taken < piece) return;
    }
    buffer.allSent = true;
    buffer.end = takenTotal_;
  }
}

void TAudioQueueDevice::ReportPlayed() {
  const uint64_t played = sink_->Played();
  while (!queue_.empty() && queue_.front().allSent && queue_.front().end <= played) {
    const int index = queue_.front().index;
    queue_.pop_front();
    if (onDone_) onDone_(index);
  }
}
