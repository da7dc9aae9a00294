#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/audio_device.h"

// A scripted sound device: it records what it is given and returns buffers only when the test
// says so (or at once, with autoReturn). One stream at a time is the playing one.
class TFakeAudioBackend : public IAudioBackend {
 public:
  struct TWritten {
    int index;
    std::vector<uint8_t> bytes;
  };

  // Script.
  int deviceCount = 1;
  bool failOpen = false;
  std::string openError = "the device is busy";
  TAudioVolume probeVolume;
  bool volumeNotSupported = false;
  bool autoReturn = false;
  bool resetReturnsBuffers = true;
  bool failReset = false;

  int DeviceCount() override { return deviceCount; }

  std::unique_ptr<IAudioDevice> Open(int deviceId, const TAudioFormat& format,
                                     TAudioDoneCallback onDone) override;

  TAudioVolume DeviceVolume(int) override { return probeVolume; }

  // Plays the oldest queued buffer; false when none is queued.
  bool ReturnOne() {
    std::lock_guard<std::mutex> lock(mutex);
    if (pending.empty()) return false;
    const auto [index, size] = pending.front();
    pending.pop_front();
    position += size;
    onDone(index);
    return true;
  }

  // Record, guarded by mutex.
  std::mutex mutex;
  std::vector<TWritten> written;
  std::deque<std::pair<int, size_t>> pending;
  std::vector<TAudioVolume> volumes;
  TAudioFormat openedFormat;
  int openedDevice = 0;
  int resets = 0;
  int pauses = 0;
  uint64_t position = 0;
  TAudioDoneCallback onDone;
};

class TFakeAudioDevice : public IAudioDevice {
 public:
  explicit TFakeAudioDevice(TFakeAudioBackend& backend) : backend_(backend) {}

  void Prepare(int index, const uint8_t* data, size_t) override {
    if (buffers_.size() <= static_cast<size_t>(index)) buffers_.resize(index + 1);
    buffers_[index] = data;
  }

  void Write(int index, size_t size) override {
    {
      std::lock_guard<std::mutex> lock(backend_.mutex);
      backend_.written.push_back({index, {buffers_[index], buffers_[index] + size}});
      backend_.pending.emplace_back(index, size);
    }
    if (backend_.autoReturn) backend_.ReturnOne();
  }

  void Reset() override {
    if (backend_.failReset) throw EAudioError("the device went away");
    std::lock_guard<std::mutex> lock(backend_.mutex);
    ++backend_.resets;
    backend_.position = 0;
    if (!backend_.resetReturnsBuffers) return;
    while (!backend_.pending.empty()) {
      backend_.onDone(backend_.pending.front().first);
      backend_.pending.pop_front();
    }
  }

  void Pause() override {
    std::lock_guard<std::mutex> lock(backend_.mutex);
    ++backend_.pauses;
  }

  uint64_t Position() override {
    std::lock_guard<std::mutex> lock(backend_.mutex);
    return backend_.position;
  }

  void SetVolume(TAudioVolume volume) override {
    if (backend_.volumeNotSupported) throw EAudioError("not supported", true);
    std::lock_guard<std::mutex> lock(backend_.mutex);
    backend_.volumes.push_back(volume);
  }

  TAudioVolume Volume() override { return backend_.probeVolume; }

 private:
  TFakeAudioBackend& backend_;
  std::vector<const uint8_t*> buffers_;
};

inline std::unique_ptr<IAudioDevice> TFakeAudioBackend::Open(int deviceId,
                                                             const TAudioFormat& format,
                                                             TAudioDoneCallback done) {
  if (failOpen) throw EAudioError(openError);
  std::lock_guard<std::mutex> lock(mutex);
  if (done) {
    onDone = std::move(done);
    openedFormat = format;
    openedDevice = deviceId;
    position = 0;
    pending.clear();
  }
  return std::make_unique<TFakeAudioDevice>(*this);
}
