// mmsystem.h needs the types that windows.h declares.
#include <windows.h>

#include <mmsystem.h>

#include <mutex>
#include <vector>

#include "platform/audio_device.h"

namespace {

// How often closing asks again for a header that the driver still plays, and how long.
constexpr int kUnprepareAttempts = 50;
constexpr DWORD kUnprepareRetryMs = 100;

void Check(MMRESULT result) {
  if (result == MMSYSERR_NOERROR) return;
  char text[MAXERRORLENGTH] = {};
  if (waveOutGetErrorTextA(result, text, sizeof text) != MMSYSERR_NOERROR) text[0] = '\0';
  throw EAudioError(text, result == MMSYSERR_NOTSUPPORTED);
}

WAVEFORMATEX PcmFormat(const TAudioFormat& format) {
  WAVEFORMATEX wave = {};
  wave.wFormatTag = WAVE_FORMAT_PCM;
  wave.nChannels = static_cast<WORD>(format.Channels);
  wave.nSamplesPerSec = static_cast<DWORD>(format.SampleRate);
  wave.nBlockAlign = static_cast<WORD>(format.BlockAlign());
  wave.nAvgBytesPerSec = static_cast<DWORD>(format.BytesPerSecond());
  wave.wBitsPerSample = static_cast<WORD>(format.BitsPerSample);
  return wave;
}

UINT DeviceNumber(int deviceId) { return deviceId < 0 ? WAVE_MAPPER : static_cast<UINT>(deviceId); }

// A wave-out stream whose done notifications come to a callback function and are passed on.
class TWinMMDevice : public IAudioDevice {
 public:
  TWinMMDevice(int deviceId, const TAudioFormat& format, TAudioDoneCallback onDone)
      : onDone_(std::move(onDone)) {
    const WAVEFORMATEX wave = PcmFormat(format);
    Check(waveOutOpen(&wave_, DeviceNumber(deviceId), &wave, reinterpret_cast<DWORD_PTR>(&Callback),
                      reinterpret_cast<DWORD_PTR>(this), CALLBACK_FUNCTION | WAVE_ALLOWSYNC));
  }

  ~TWinMMDevice() override {
    waveOutReset(wave_);
    for (WAVEHDR& header : headers_) Unprepare(header);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      closed_ = true;
    }
    waveOutClose(wave_);
  }

  void Prepare(int index, const uint8_t* data, size_t capacity) override {
    if (headers_.size() <= static_cast<size_t>(index)) headers_.resize(index + 1);
    WAVEHDR& header = headers_[index];
    Unprepare(header);
    header = WAVEHDR{};
    header.lpData = reinterpret_cast<LPSTR>(const_cast<uint8_t*>(data));
    header.dwBufferLength = static_cast<DWORD>(capacity);
    header.dwUser = static_cast<DWORD_PTR>(index);
    Check(waveOutPrepareHeader(wave_, &header, sizeof header));
  }

  void Write(int index, size_t size) override {
    WAVEHDR& header = headers_.at(index);
    header.dwBufferLength = static_cast<DWORD>(size);
    Check(waveOutWrite(wave_, &header, sizeof header));
  }

  void Reset() override {
    Check(waveOutReset(wave_));
    positionHigh_ = 0;
    lastPosition_ = 0;
  }

  void Pause() override { Check(waveOutPause(wave_)); }

  // The driver counts in 32 bits; the count is carried on across its wrap.
  uint64_t Position() override {
    MMTIME time = {};
    time.wType = TIME_BYTES;
    Check(waveOutGetPosition(wave_, &time, sizeof time));
    if (time.u.cb < lastPosition_) positionHigh_ += 0x100000000ULL;
    lastPosition_ = time.u.cb;
    return positionHigh_ + time.u.cb;
  }

  void SetVolume(TAudioVolume volume) override {
    Check(waveOutSetVolume(wave_, MAKELONG(volume.Left, volume.Right)));
  }

  TAudioVolume Volume() override {
    DWORD value = 0;
    Check(waveOutGetVolume(wave_, &value));
    return TAudioVolume{LOWORD(value), HIWORD(value)};
  }

 private:
  static void CALLBACK Callback(HWAVEOUT, UINT message, DWORD_PTR instance, DWORD_PTR param1,
                                DWORD_PTR) {
    if (message != WOM_DONE) return;
    auto* self = reinterpret_cast<TWinMMDevice*>(instance);
    std::lock_guard<std::mutex> lock(self->mutex_);
    if (!self->closed_ && self->onDone_) {
      self->onDone_(static_cast<int>(reinterpret_cast<WAVEHDR*>(param1)->dwUser));
    }
  }

  // A header that the driver still plays cannot be released; ask again for a while.
  void Unprepare(WAVEHDR& header) {
    if ((header.dwFlags & WHDR_PREPARED) == 0) return;
    for (int attempt = 0; attempt < kUnprepareAttempts; ++attempt) {
      if (waveOutUnprepareHeader(wave_, &header, sizeof header) != WAVERR_STILLPLAYING) return;
      Sleep(kUnprepareRetryMs);
    }
  }

  HWAVEOUT wave_ = nullptr;
  const TAudioDoneCallback onDone_;
  std::vector<WAVEHDR> headers_;
  std::mutex mutex_;
  bool closed_ = false;
  uint64_t positionHigh_ = 0;
  DWORD lastPosition_ = 0;
};

class TWinMMBackend : public IAudioBackend {
 public:
  int DeviceCount() override { return static_cast<int>(waveOutGetNumDevs()); }

  std::unique_ptr<IAudioDevice> Open(int deviceId, const TAudioFormat& format,
                                     TAudioDoneCallback onDone) override {
    return std::make_unique<TWinMMDevice>(deviceId, format, std::move(onDone));
  }

  TAudioVolume DeviceVolume(int deviceId) override {
    DWORD value = 0;
    Check(waveOutGetVolume(reinterpret_cast<HWAVEOUT>(static_cast<UINT_PTR>(deviceId)), &value));
    return TAudioVolume{LOWORD(value), HIWORD(value)};
  }
};

}  // namespace

IAudioBackend& SystemAudioBackend() {
  static TWinMMBackend backend;
  return backend;
}
