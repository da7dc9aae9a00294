// player-bench FILE [RUNS]
//
// Opens FILE in the player component RUNS times (default 20) and measures, each time, how long
// it takes from Play until the first buffer reaches the silent real-time device. Prints
// "first_buffer_ms median=M min=A max=B runs=N".
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "mp3player/compo/player/mp3_player.h"
#include "platform/audio_device.h"
#include "platform/queue_dispatcher.h"

namespace {

using Clock = std::chrono::steady_clock;

// The silent device, noting when a buffer is first queued.
class TTimedBackend : public IAudioBackend {
 public:
  class TDevice : public IAudioDevice {
   public:
    TDevice(std::unique_ptr<IAudioDevice> inner, TTimedBackend& owner)
        : inner_(std::move(inner)), owner_(owner) {}
    void Prepare(int index, const uint8_t* data, size_t capacity) override {
      inner_->Prepare(index, data, capacity);
    }
    void Write(int index, size_t size) override {
      if (!owner_.written_.exchange(true)) owner_.firstWrite_ = Clock::now();
      inner_->Write(index, size);
    }
    void Reset() override { inner_->Reset(); }
    void Pause() override { inner_->Pause(); }
    uint64_t Position() override { return inner_->Position(); }
    void SetVolume(TAudioVolume volume) override { inner_->SetVolume(volume); }
    TAudioVolume Volume() override { return inner_->Volume(); }

   private:
    std::unique_ptr<IAudioDevice> inner_;
    TTimedBackend& owner_;
  };

  int DeviceCount() override { return NullAudioBackend().DeviceCount(); }
  std::unique_ptr<IAudioDevice> Open(int deviceId, const TAudioFormat& format,
                                     TAudioDoneCallback onDone) override {
    return std::make_unique<TDevice>(NullAudioBackend().Open(deviceId, format, std::move(onDone)),
                                     *this);
  }
  TAudioVolume DeviceVolume(int deviceId) override {
    return NullAudioBackend().DeviceVolume(deviceId);
  }

  void Arm() { written_ = false; }
  bool Written() const { return written_; }
  Clock::time_point FirstWrite() const { return firstWrite_; }

 private:
  std::atomic<bool> written_{false};
  Clock::time_point firstWrite_;
};

double MeasureOnce(TMP3Player& player, TTimedBackend& backend) {
  backend.Arm();
  const auto started = Clock::now();
  player.Play();
  while (!backend.Written()) std::this_thread::sleep_for(std::chrono::microseconds(50));
  const double ms =
      std::chrono::duration<double, std::milli>(backend.FirstWrite() - started).count();
  player.Stop();
  return ms;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: player-bench FILE [RUNS]\n");
    return 2;
  }
  const int runs = argc == 3 ? std::max(1, std::atoi(argv[2])) : 20;
  try {
    TQueueDispatcher dispatcher;
    TTimedBackend backend;
    TMP3Player player(dispatcher, &backend);
    player.SetAutoPlay(false);
    player.SetFileName(argv[1]);
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
      times.push_back(MeasureOnce(player, backend));
      dispatcher.RunPending();
    }
    std::sort(times.begin(), times.end());
    std::printf("first_buffer_ms median=%.2f min=%.2f max=%.2f runs=%d\n", times[times.size() / 2],
                times.front(), times.back(), runs);
    return 0;
  } catch (const std::exception& error) {
    std::fprintf(stderr, "player-bench: %s\n", error.what());
    return 1;
  }
}
