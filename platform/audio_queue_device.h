#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/audio_device.h"

// Where the PCM of a queued stream goes: a sound card's ring buffer or the clock. All calls come
// from the stream under its lock, so a sink needs no lock of its own.
class IAudioSink {
 public:
  virtual ~IAudioSink() = default;
  // Takes up to size bytes (whole frames) now, without waiting; answers how many it took.
  virtual size_t Take(const uint8_t* data, size_t size) = 0;
  // Of the bytes taken since the last Drop, how many have been played.
  virtual uint64_t Played() = 0;
  // Forgets everything taken, so that Played starts again from 0, and ends a pause.
  virtual void Drop() = 0;
  virtual void Pause() = 0;
  // How long the stream may sleep before played reaches target or the sink wants more data.
  virtual std::chrono::milliseconds WaitHint(uint64_t target) = 0;
};

// A device that keeps its queued buffers itself and feeds them, scaled by the volume, to a sink
// from a thread of its own, reporting each buffer when the sink has played its last byte. Both
// the ALSA device and the silent device are built on it.
class TAudioQueueDevice : public IAudioDevice {
 public:
  TAudioQueueDevice(const TAudioFormat& format, std::unique_ptr<IAudioSink> sink,
                    TAudioDoneCallback onDone);
  ~TAudioQueueDevice() override;

  void Prepare(int index, const uint8_t* data, size_t capacity) override;
  void Write(int index, size_t size) override;
  void Reset() override;
  void Pause() override;
  uint64_t Position() override;
  void SetVolume(TAudioVolume volume) override;
  TAudioVolume Volume() override;

 private:
  struct TQueued {
    int index;
    const uint8_t* data;
    size_t size;
    size_t sent;
    bool allSent;
    uint64_t end;  // sink offset just past the buffer's last byte, once it has all been sent
  };

  void Run();
  void Feed();
  void ReportPlayed();

  const TAudioFormat format_;
  const std::unique_ptr<IAudioSink> sink_;
  const TAudioDoneCallback onDone_;
  std::mutex mutex_;
  std::condition_variable wake_;
  std::vector<const uint8_t*> buffers_;
  std::deque<TQueued> queue_;
  uint64_t takenTotal_ = 0;  // bytes the sink has taken since the last Drop
  bool paused_ = false;
  bool stopping_ = false;
  TAudioVolume volume_;
  std::vector<uint8_t> scratch_;
  std::thread thread_;
};

// Scales PCM samples by per-channel levels (0 to 65535): signed 16-bit or unsigned 8-bit, one or
// two interleaved channels. size is a whole number of frames.
void ScalePcm(const TAudioFormat& format, TAudioVolume volume, const uint8_t* source, uint8_t* dest,
              size_t size);
