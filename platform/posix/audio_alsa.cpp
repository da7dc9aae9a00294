#include <alsa/asoundlib.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "platform/audio_device.h"
#include "platform/audio_queue_device.h"

namespace {

// How much sound ALSA holds ahead of the speaker; the wave output keeps its own two seconds.
constexpr unsigned kLatencyMicroseconds = 200000;

void QuietAlsaErrors(const char*, int, const char*, int, const char*, ...) {}

[[noreturn]] void ThrowAlsaError(int error) { throw EAudioError(snd_strerror(error)); }

// Feeds an ALSA playback stream opened without blocking; what has been played is what was
// written less what the stream still holds.
class TAlsaSink : public IAudioSink {
 public:
  TAlsaSink(snd_pcm_t* pcm, const TAudioFormat& format, snd_pcm_uframes_t periodFrames)
      : pcm_(pcm),
        blockAlign_(static_cast<uint64_t>(format.BlockAlign())),
        bytesPerSecond_(static_cast<uint64_t>(format.BytesPerSecond())),
        periodMs_(
            std::max<int64_t>(1, static_cast<int64_t>(periodFrames) * 1000 / format.SampleRate)),
        canPause_(CanPause(pcm)) {}

  ~TAlsaSink() override {
    snd_pcm_drop(pcm_);
    snd_pcm_close(pcm_);
  }

  size_t Take(const uint8_t* data, size_t size) override {
    const auto frames = static_cast<snd_pcm_uframes_t>(size / blockAlign_);
    snd_pcm_sframes_t written = snd_pcm_writei(pcm_, data, frames);
    if (written < 0 && written != -EAGAIN &&
        snd_pcm_recover(pcm_, static_cast<int>(written), 1) == 0) {
      written = snd_pcm_writei(pcm_, data, frames);
    }
    if (written <= 0) return 0;
    taken_ += static_cast<uint64_t>(written) * blockAlign_;
    return static_cast<size_t>(written) * blockAlign_;
  }

  uint64_t Played() override {
    if (frozen_) return played_;
    // A stream that holds less than its start threshold (the last short piece) is started here.
    if (snd_pcm_state(pcm_) == SND_PCM_STATE_PREPARED && taken_ > played_) snd_pcm_start(pcm_);
    snd_pcm_sframes_t delay = 0;
    uint64_t played = taken_;
    if (snd_pcm_delay(pcm_, &delay) == 0 && delay > 0) {
      const uint64_t held = static_cast<uint64_t>(delay) * blockAlign_;
      played = held < taken_ ? taken_ - held : 0;
    }
    played_ = std::max(played_, played);
    return played_;
  }

  void Drop() override {
    snd_pcm_drop(pcm_);
    snd_pcm_prepare(pcm_);
    taken_ = played_ = 0;
    frozen_ = false;
  }

  // Without hardware pause the held sound is dropped; the position stays where it was.
  void Pause() override {
    Played();
    frozen_ = true;
    if (!canPause_ || snd_pcm_pause(pcm_, 1) < 0) {
      snd_pcm_drop(pcm_);
      snd_pcm_prepare(pcm_);
    }
  }

  std::chrono::milliseconds WaitHint(uint64_t target) override {
    const uint64_t played = Played();
    const int64_t untilTarget =
        target > played ? static_cast<int64_t>((target - played) * 1000 / bytesPerSecond_) : 0;
    return std::chrono::milliseconds(std::clamp<int64_t>(untilTarget, 1, periodMs_));
  }

 private:
  static bool CanPause(snd_pcm_t* pcm) {
    snd_pcm_hw_params_t* params = nullptr;
    snd_pcm_hw_params_alloca(&params);
    return snd_pcm_hw_params_current(pcm, params) == 0 && snd_pcm_hw_params_can_pause(params) != 0;
  }

  snd_pcm_t* const pcm_;
  const uint64_t blockAlign_;
  const uint64_t bytesPerSecond_;
  const int64_t periodMs_;
  const bool canPause_;
  uint64_t taken_ = 0;
  uint64_t played_ = 0;
  bool frozen_ = false;
};

// The ALSA name of a device: -1 is the default device (KORVA_ALSA_DEVICE names another one, such
// as "null" on a machine without sound), n the n-th sound card.
std::string DeviceName(int deviceId) {
  if (deviceId < 0) {
    const char* chosen = std::getenv("KORVA_ALSA_DEVICE");
    return chosen != nullptr && *chosen != '\0' ? chosen : "default";
  }
  int card = -1;
  for (int n = 0; snd_card_next(&card) == 0 && card >= 0; ++n) {
    if (n == deviceId) return "plughw:" + std::to_string(card);
  }
  ThrowAlsaError(-ENODEV);
}

snd_pcm_t* OpenPcm(int deviceId, const TAudioFormat& format, snd_pcm_uframes_t& periodFrames) {
  if (!format.IsPlayable()) ThrowAlsaError(-EINVAL);
  snd_pcm_t* pcm = nullptr;
  // Without blocking, a busy device answers at once instead of waiting to be free.
  int error =
      snd_pcm_open(&pcm, DeviceName(deviceId).c_str(), SND_PCM_STREAM_PLAYBACK, SND_PCM_NONBLOCK);
  if (error < 0) ThrowAlsaError(error);
  const snd_pcm_format_t sampleFormat =
      format.BitsPerSample == 16 ? SND_PCM_FORMAT_S16_LE : SND_PCM_FORMAT_U8;
  error = snd_pcm_set_params(pcm, sampleFormat, SND_PCM_ACCESS_RW_INTERLEAVED,
                             static_cast<unsigned>(format.Channels),
                             static_cast<unsigned>(format.SampleRate), 1, kLatencyMicroseconds);
  snd_pcm_uframes_t bufferFrames = 0;
  if (error == 0) error = snd_pcm_get_params(pcm, &bufferFrames, &periodFrames);
  if (error < 0) {
    snd_pcm_close(pcm);
    ThrowAlsaError(error);
  }
  return pcm;
}

class TAlsaBackend : public IAudioBackend {
 public:
  TAlsaBackend() { snd_lib_error_set_handler(QuietAlsaErrors); }

  int DeviceCount() override {
    int count = 0;
    for (int card = -1; snd_card_next(&card) == 0 && card >= 0;) ++count;
    return count;
  }

  std::unique_ptr<IAudioDevice> Open(int deviceId, const TAudioFormat& format,
                                     TAudioDoneCallback onDone) override {
    snd_pcm_uframes_t periodFrames = 0;
    snd_pcm_t* pcm = OpenPcm(deviceId, format, periodFrames);
    return std::make_unique<TAudioQueueDevice>(
        format, std::make_unique<TAlsaSink>(pcm, format, periodFrames), std::move(onDone));
  }

  // ALSA has no volume per stream: ours is applied to the samples and starts at full.
  TAudioVolume DeviceVolume(int /*deviceId*/) override { return TAudioVolume{}; }
};

}  // namespace

IAudioBackend& SystemAudioBackend() {
  static TAlsaBackend backend;
  return backend;
}
