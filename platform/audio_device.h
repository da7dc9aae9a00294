#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

// The wave-out device below the wave output: it plays PCM buffers in the order they are queued
// and reports each one when it has been played. One interface, three forms: the system's sound
// device (ALSA on Linux, WinMM on Windows) and a silent device that plays in real time by the
// clock, chosen with KORVA_AUDIO=null (headless machines, tests).

// Linear PCM: signed 16-bit little-endian or unsigned 8-bit samples, channels interleaved.
struct TAudioFormat {
  int SampleRate = 44100;
  int Channels = 2;
  int BitsPerSample = 16;

  bool IsPlayable() const {
    return SampleRate > 0 && (Channels == 1 || Channels == 2) &&
           (BitsPerSample == 8 || BitsPerSample == 16);
  }
  int BlockAlign() const { return Channels * BitsPerSample / 8; }
  int BytesPerSecond() const { return SampleRate * BlockAlign(); }
};

// A device call failed. what() is the device's own error text, which may be empty; NotSupported
// marks the answer "the device cannot do that", which some callers accept.
class EAudioError : public std::runtime_error {
 public:
  explicit EAudioError(const std::string& text, bool notSupported = false)
      : std::runtime_error(text), notSupported_(notSupported) {}
  bool NotSupported() const { return notSupported_; }

 private:
  bool notSupported_;
};

// Per-channel levels, 0 (silent) to 65535 (full); a mono stream uses Left.
struct TAudioVolume {
  uint16_t Left = 0xFFFF;
  uint16_t Right = 0xFFFF;
};

// Called with a buffer's index when it has been played or dropped by Reset. It runs on a thread
// of the device (or inside Reset) and must not call back into the device.
using TAudioDoneCallback = std::function<void(int index)>;

// One open output stream. Destroying it stops playback; no callback runs after that.
class IAudioDevice {
 public:
  virtual ~IAudioDevice() = default;
  // Makes a buffer known to the device under its index, once, before it is first written.
  virtual void Prepare(int index, const uint8_t* data, size_t capacity) = 0;
  // Queues the first size bytes of a prepared buffer; the device reads them until it reports the
  // buffer done.
  virtual void Write(int index, size_t size) = 0;
  // Stops playback, reports every queued buffer done in order, ends a pause and sets the played
  // position back to 0.
  virtual void Reset() = 0;
  // Halts playback where it is; queued buffers stay queued until Reset.
  virtual void Pause() = 0;
  // Bytes played since the stream was opened or last reset.
  virtual uint64_t Position() = 0;
  virtual void SetVolume(TAudioVolume volume) = 0;
  virtual TAudioVolume Volume() = 0;
};

class IAudioBackend {
 public:
  virtual ~IAudioBackend() = default;
  virtual int DeviceCount() = 0;
  // Opens device deviceId (-1: the system's default device) for the format. Throws EAudioError
  // when the device is missing, busy or cannot play the format; never waits for a busy device.
  // onDone may be empty for a stream that is opened only to be asked its volume.
  virtual std::unique_ptr<IAudioDevice> Open(int deviceId, const TAudioFormat& format,
                                             TAudioDoneCallback onDone) = 0;
  // The volume of a device that no stream of ours has open.
  virtual TAudioVolume DeviceVolume(int deviceId) = 0;
};

// The silent device that plays by the clock.
IAudioBackend& NullAudioBackend();
// The system's sound device: ALSA on Linux, WinMM on Windows.
IAudioBackend& SystemAudioBackend();
// KORVA_AUDIO=null selects the silent device; anything else the system's.
IAudioBackend& DefaultAudioBackend();
