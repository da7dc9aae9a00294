#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "mp3player/compo/threads/loop_thread.h"
#include "mp3player/compo/threads/sync.h"
#include "platform/audio_device.h"

// A wave output call failed: "<device's error text>(<operation>)".
class ESoundOutError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Plays 16-bit or 8-bit PCM through the sound device, or writes it to a WAV file instead. A ring
// of four buffers holds two seconds of sound: the caller fills them with Write, full buffers go
// to the device, and the device hands them back to a worker thread of this object once played.
class TSoundOut : public TMPMessageTarget {
 public:
  using TNotifyEvent = std::function<void(TSoundOut* sender)>;
  using TThreadErrorEvent =
      std::function<void(TSoundOut* sender, const std::exception& error, bool& handled)>;

  static constexpr int kBufferCount = 4;

  // backend: where the sound goes; none means the device that KORVA_AUDIO selects.
  explicit TSoundOut(IAudioBackend* backend = nullptr);
  ~TSoundOut() override;
  TSoundOut(const TSoundOut&) = delete;
  TSoundOut& operator=(const TSoundOut&) = delete;

  // The format of the next Open; values other than a positive rate, 8 or 16 bits, and one or two
  // channels are ignored.
  int SampleRate() const { return sampleRate_; }
  void SetSampleRate(int value);
  int Channels() const { return channels_; }
  void SetChannels(int value);
  int BitsPerSample() const { return bitsPerSample_; }
  void SetBitsPerSample(int value);

  // Percent, 0 to 100, and -100 (left only) to 100 (right only); other values are ignored. While
  // playing on the device a change takes effect at once.
  int Volume() const { return volume_; }
  void SetVolume(int value);
  int Balance() const { return balance_; }
  void SetBalance(int value);

  // The device number; -1 is the system's default device.
  int DeviceID() const { return deviceId_; }
  void SetDeviceID(int value) { deviceId_ = value; }
  // When set, Open writes this WAV file instead of playing. Only accepted while closed.
  const std::string& WaveFileName() const { return waveFileName_; }
  void SetWaveFileName(const std::string& value);

  // Progress ticks: OnNotify runs on the worker thread at most once per NotifyInterval
  // milliseconds while buffers play; -1 means no ticks.
  int NotifyInterval() const { return notifyInterval_; }
  void SetNotifyInterval(int value) { notifyInterval_ = value; }
  void SetOnNotify(TNotifyEvent handler);
  // Errors raised on the worker thread; when it leaves handled false they go to the
  // application's error display.
  void SetOnThreadError(TThreadErrorEvent handler);
  // The longest time the playing device may keep every buffer before waiting for it ends in an
  // error instead of a hang. Milliseconds.
  uint32_t DoneTimeout() const { return doneTimeout_; }
  void SetDoneTimeout(uint32_t value) { doneTimeout_ = value; }

  bool Opened() const { return opened_; }
  int BufferSize() const { return bufferSize_; }

  void Open();
  // Plays (or writes) what is left, waits for it and releases the device or finishes the file.
  void Close();
  // Copies as much as fits into the free buffers and answers how many bytes were taken.
  int Write(const void* data, int length);
  bool CanWrite();
  // Stores the event to be set as soon as CanWrite holds (at once if it holds now); none clears.
  void WaitForSpace(TMPEvent* waiter);
  // Queues the buffer being filled.
  void WaveWrite();
  // Queues a partly filled buffer and waits until the worker thread has taken every buffer handed
  // to it before. An error of the worker during the wait is raised here.
  void Flush();
  // Waits until no buffer is queued any more. An error of the worker during the wait is raised
  // here.
  void WaitAllDone();
  // Device only: stops playback at once, dropping every queued buffer; the played count restarts.
  void Reset();
  // Device only: halts playback; the queued buffers stay queued until Reset.
  void Pause();
  // Bytes played since the previous call, or since Open or Reset.
  int64_t GetDoneBytes();
  // Free room of the four buffers in percent, rounded down.
  int FreePercent();
  // The device's volume in percent; 100 when it cannot be had.
  int GetWaveVolume();
  void SetVolumeToWaveDevice();

 private:
  class TWaitScope;

  TAudioFormat Format() const;
  void OpenDevice();
  void CreateWaveFile();
  void AllocateBuffers();
  void CloseDevice();
  void FinishWaveFile();
  void ReleaseOutput();

  void HandleDone(TMPMessage& message);
  void HandleFileWrite(TMPMessage& message);
  void HandleTimeout(TMPMessage& message);
  void BufferDone();
  void WriteBufferToFile(int index);
  void TickCheck();
  void SpaceCheck();
  // Gives the error to the callers waiting for the worker; false when there is none, or one has
  // an error to raise already.
  bool HandToWaiter(const std::string& text);
  void WorkerException(const std::exception& error, bool& handled);
  void AwaitWorker(TMPEvent& target, const char* operation, bool watchDevice);

  IAudioBackend& backend_;
  int sampleRate_ = 44100;
  int channels_ = 2;
  int bitsPerSample_ = 16;
  std::atomic<bool> opened_{false};
  int volume_ = 100;
  int deviceId_ = -1;
  std::atomic<int> notifyInterval_{-1};
  std::atomic<uint32_t> lastTick_{0};
  std::atomic<uint32_t> doneTimeout_{3000};
  std::unique_ptr<IAudioDevice> device_;
  std::atomic<bool> deviceOpen_{false};
  std::atomic<bool> paused_{false};
  std::array<int, kBufferCount> lengths_{};
  std::array<std::vector<uint8_t>, kBufferCount> buffers_;
  std::ofstream file_;
  std::atomic<int64_t> fileBytes_{0};
  int current_ = 0;
  int fill_ = 0;
  std::atomic<int> queued_{0};
  int bufferSize_ = 0;
  int balance_ = 0;
  int64_t playedBase_ = 0;
  std::string waveFileName_;
  // Numbers each opening, so that notifications of an earlier one are recognised and ignored.
  std::atomic<uint32_t> generation_{0};
  std::atomic<int64_t> lastDoneMs_{0};

  // Taken by the worker while it handles a notification, and by Close when it lets the output
  // go, so that a notification is either handled whole or recognised as stale.
  std::mutex releaseMutex_;
  TMPSimpleMutex bufferLock_;  // current index, fill and the buffers' lengths
  TMPSimpleMutex notifyLock_;  // the space waiter
  TMPEvent* spaceWaiter_ = nullptr;
  TMPSimpleEvent allDone_;

  std::mutex hookMutex_;  // the two event hooks
  TNotifyEvent onNotify_;
  TThreadErrorEvent onThreadError_;

  // An error of the worker thread is handed to a caller waiting for the worker (who raises it)
  // instead of to OnThreadError, so that nobody waits for a thread that waits for them. trouble_
  // is set while an error is handed or being reported through OnThreadError (forwarding_).
  std::mutex troubleMutex_;
  int waiters_ = 0;
  bool forwarding_ = false;
  std::optional<std::string> handed_;
  TMPSimpleEvent trouble_;

  std::unique_ptr<TMPLoopThread> thread_;
};
