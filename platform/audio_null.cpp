#include <chrono>

#include "platform/audio_device.h"
#include "platform/audio_queue_device.h"

namespace {

using Clock = std::chrono::steady_clock;

// Plays silently in real time: what it takes is played at the format's byte rate from the moment
// it arrives, or from the end of what was taken before. When it runs dry the clock stops.
class TClockSink : public IAudioSink {
 public:
  explicit TClockSink(int bytesPerSecond) : bytesPerSecond_(bytesPerSecond) {}

  size_t Take(const uint8_t* /*data*/, size_t size) override {
    Played();
    taken_ += size;
    if (!running_ && !paused_ && taken_ > base_) {
      running_ = true;
      runStart_ = Clock::now();
    }
    return size;
  }

  uint64_t Played() override {
    if (!running_) return base_;
    const auto elapsed =
        std::chrono::duration_cast<std::chrono::microseconds>(Clock::now() - runStart_).count();
    const uint64_t played =
        base_ + static_cast<uint64_t>(elapsed) * static_cast<uint64_t>(bytesPerSecond_) / 1000000;
    if (played < taken_) return played;
    base_ = taken_;
    running_ = false;
    return base_;
  }

  void Drop() override {
    taken_ = base_ = 0;
    running_ = paused_ = false;
  }

  void Pause() override {
    base_ = Played();
    running_ = false;
    paused_ = true;
  }

  std::chrono::milliseconds WaitHint(uint64_t target) override {
    const uint64_t played = Played();
    if (target <= played) return std::chrono::milliseconds(0);
    const uint64_t rate = static_cast<uint64_t>(bytesPerSecond_);
    return std::chrono::milliseconds(((target - played) * 1000 + rate - 1) / rate);
  }

 private:
  const int bytesPerSecond_;
  uint64_t taken_ = 0;
  uint64_t base_ = 0;  // bytes played when the clock last started or stopped
  Clock::time_point runStart_;
  bool running_ = false;
  bool paused_ = false;
};

class TNullBackend : public IAudioBackend {
 public:
  int DeviceCount() override { return 1; }

  std::unique_ptr<IAudioDevice> Open(int deviceId, const TAudioFormat& format,
                                     TAudioDoneCallback onDone) override {
    if (deviceId < -1 || deviceId > 0) {
      throw EAudioError("The specified device identifier is out of range.");
    }
    if (!format.IsPlayable()) throw EAudioError("The specified format is not supported.");
    return std::make_unique<TAudioQueueDevice>(
        format, std::make_unique<TClockSink>(format.BytesPerSecond()), std::move(onDone));
  }

  TAudioVolume DeviceVolume(int /*deviceId*/) override { return TAudioVolume{}; }
};

}  // namespace

IAudioBackend& NullAudioBackend() {
  static TNullBackend backend;
  return backend;
}
