#include "mp3player/compo/output/sound_out.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>

#include "mp3player/compo/assertion.h"
#include "platform/files.h"

namespace {

// The device's done notification and the worker's own file-write message.
constexpr uint32_t MM_WOM_DONE = 0x3BD;
constexpr uint32_t MPM_WAVEWRITE = 0x422;

constexpr int kWaveHeaderSize = 44;
constexpr const char* kUnknownError = "unknown wave out API error.";
constexpr const char* kDeviceStalled = "the sound device does not return its buffers.";

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

uint32_t TickCount() { return static_cast<uint32_t>(NowMs()); }

ESoundOutError SoundOutError(const std::string& text, const char* operation) {
  // The device's error texts are at most 128 characters, like those of the Windows call.
  const std::string shown = text.empty() ? kUnknownError : text.substr(0, 128);
  return ESoundOutError(shown + "(" + operation + ")");
}

void PutLE(std::string& out, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

}  // namespace

// Counts a caller waiting for the worker thread, so that the worker hands its errors to it. The
// caller leaves in the same step in which it looks for such an error, so that an error can never
// be handed to a caller that has already gone.
class TSoundOut::TWaitScope {
 public:
  explicit TWaitScope(TSoundOut& owner) : owner_(owner) {
    std::lock_guard<std::mutex> lock(owner_.troubleMutex_);
    ++owner_.waiters_;
  }
  ~TWaitScope() {
    if (left_) return;
    std::lock_guard<std::mutex> lock(owner_.troubleMutex_);
    --owner_.waiters_;
  }
  TWaitScope(const TWaitScope&) = delete;
  TWaitScope& operator=(const TWaitScope&) = delete;

  // Raises an error the worker handed to the waiters. Otherwise true when the caller stops
  // waiting: its wait is over, or the worker is reporting an error through OnThreadError, whose
  // handler may be waiting for this very caller. False when another waiter took the error that
  // woke this one.
  bool Leave(bool waitOver) {
    std::unique_lock<std::mutex> lock(owner_.troubleMutex_);
    if (owner_.handed_) {
      const std::string text = std::move(*owner_.handed_);
      owner_.handed_.reset();
      if (!owner_.forwarding_) owner_.trouble_.ResetEvent();
      Exit();
      lock.unlock();
      throw ESoundOutError(text);
    }
    if (!waitOver && !owner_.forwarding_) return false;
    Exit();
    return true;
  }

 private:
  void Exit() {
    --owner_.waiters_;
    left_ = true;
  }

  TSoundOut& owner_;
  bool left_ = false;
};

TSoundOut::TSoundOut(IAudioBackend* backend)
    : backend_(backend != nullptr ? *backend : DefaultAudioBackend()) {
  allDone_.SetEvent();
  volume_ = GetWaveVolume();
  SetHandler(MM_WOM_DONE, [this](TMPMessage& m) { HandleDone(m); });
  SetHandler(MPM_WAVEWRITE, [this](TMPMessage& m) { HandleFileWrite(m); });
  SetHandler(MPM_TIMEOUT, [this](TMPMessage& m) { HandleTimeout(m); });
  thread_ = std::make_unique<TMPLoopThread>(this);
  thread_->SetOnException([this](TMPLoopThread*, const std::exception& error, bool& handled) {
    WorkerException(error, handled);
  });
  thread_->Resume();
}

TSoundOut::~TSoundOut() {
  try {
    Close();
  } catch (const std::exception&) {
    // Nobody is left to tell; the output is released all the same.
  }
  thread_.reset();
}

void TSoundOut::SetSampleRate(int value) {
  if (value > 0) sampleRate_ = value;
}

void TSoundOut::SetChannels(int value) {
  if (value == 1 || value == 2) channels_ = value;
}

void TSoundOut::SetBitsPerSample(int value) {
  if (value == 8 || value == 16) bitsPerSample_ = value;
}

void TSoundOut::SetVolume(int value) {
  if (value < 0 || value > 100) return;
  volume_ = value;
  if (deviceOpen_) SetVolumeToWaveDevice();
}

void TSoundOut::SetBalance(int value) {
  if (value < -100 || value > 100) return;
  balance_ = value;
  if (deviceOpen_) SetVolumeToWaveDevice();
}

void TSoundOut::SetWaveFileName(const std::string& value) {
  if (!opened_) waveFileName_ = value;
}

void TSoundOut::SetOnNotify(TNotifyEvent handler) {
  std::lock_guard<std::mutex> lock(hookMutex_);
  onNotify_ = std::move(handler);
}

void TSoundOut::SetOnThreadError(TThreadErrorEvent handler) {
  std::lock_guard<std::mutex> lock(hookMutex_);
  onThreadError_ = std::move(handler);
}

TAudioFormat TSoundOut::Format() const {
  return TAudioFormat{sampleRate_, channels_, bitsPerSample_};
}

void TSoundOut::Open() {
  if (opened_) return;
  try {
    // Held throughout, so that a writer on another thread never sees a half-made ring.
    TMPLockGuard guard(bufferLock_);
    opened_ = true;
    ++generation_;
    queued_ = 0;
    allDone_.SetEvent();
    paused_ = false;
    playedBase_ = 0;
    current_ = 0;
    fill_ = 0;
    // Two seconds of sound in four buffers, each a multiple of 4 bytes.
    const int64_t bytesPerSecond = int64_t{sampleRate_} * channels_ * (bitsPerSample_ / 8);
    bufferSize_ = static_cast<int>((bytesPerSecond * 2000 / 1000 / kBufferCount + 3) / 4 * 4);
    if (waveFileName_.empty()) {
      OpenDevice();
    } else {
      CreateWaveFile();
    }
    lastTick_ = TickCount();
    lastDoneMs_ = NowMs();
  } catch (...) {
    Close();
    throw;
  }
}

void TSoundOut::OpenDevice() {
  const uint32_t generation = generation_;
  try {
    device_ = backend_.Open(deviceId_, Format(), [this, generation](int index) {
      thread_->PostCommand(MM_WOM_DONE, static_cast<uint32_t>(index), generation);
    });
  } catch (const EAudioError& error) {
    throw SoundOutError(error.what(), "TSoundOut.Open:WaveOutOpen");
  }
  deviceOpen_ = true;
  SetVolumeToWaveDevice();
  AllocateBuffers();
  try {
    for (int i = 0; i < kBufferCount; ++i) {
      device_->Prepare(i, buffers_[i].data(), buffers_[i].size());
    }
  } catch (const EAudioError& error) {
    throw SoundOutError(error.what(), "TSoundOut.Open:WaveOutPreperHeader");
  }
  const int interval = notifyInterval_;
  thread_->SetWaitTimeout(static_cast<uint32_t>(interval));
}

void TSoundOut::CreateWaveFile() {
  fileBytes_ = 0;
  file_.open(std::filesystem::path(reinterpret_cast<const char8_t*>(waveFileName_.c_str())),
             std::ios::binary | std::ios::trunc);
  if (!file_) {
    throw TFileError("Cannot create file \"" + waveFileName_ + "\". " + std::strerror(errno));
  }
  const auto format = Format();
  std::string header = "RIFF";
  PutLE(header, 0, 4);
  header += "WAVEfmt ";
  PutLE(header, 16, 4);
  PutLE(header, 1, 2);
  PutLE(header, static_cast<uint32_t>(format.Channels), 2);
  PutLE(header, static_cast<uint32_t>(format.SampleRate), 4);
  PutLE(header, static_cast<uint32_t>(format.BytesPerSecond()), 4);
  PutLE(header, static_cast<uint32_t>(format.BlockAlign()), 2);
  PutLE(header, static_cast<uint32_t>(format.BitsPerSample), 2);
  header += "data";
  PutLE(header, 0, 4);
  if (!file_.write(header.data(), static_cast<std::streamsize>(header.size()))) {
    throw TFileError("Cannot write file \"" + waveFileName_ + "\".");
  }
  AllocateBuffers();
}

void TSoundOut::AllocateBuffers() {
  for (auto& buffer : buffers_) buffer.assign(static_cast<size_t>(bufferSize_), 0);
}

void TSoundOut::Close() {
  if (!opened_) return;
  WaitForSpace(nullptr);
  std::exception_ptr failure;
  try {
    if (deviceOpen_) {
      CloseDevice();
    } else if (file_.is_open()) {
      FinishWaveFile();
    }
  } catch (...) {
    failure = std::current_exception();
  }
  ReleaseOutput();
  if (failure) std::rethrow_exception(failure);
}

void TSoundOut::CloseDevice() {
  thread_->SetWaitTimeout(MP_INFINITE);
  // Paused buffers would never come back: there is no resume.
  if (paused_) Reset();
  Flush();
  WaitAllDone();
}

// The last partial buffer is written too, and every write the worker was given is waited for, so
// that the file is whole and no write touches it after it is closed.
void TSoundOut::FinishWaveFile() {
  Flush();
  // Flush ends early while the worker reports an error; the writes it has not taken yet are
  // dropped here, so that it never touches the file that is being finished.
  std::lock_guard<std::mutex> lock(releaseMutex_);
  ++generation_;
  const int64_t dataBytes = fileBytes_;
  std::string lengths;
  PutLE(lengths, static_cast<uint32_t>(dataBytes + kWaveHeaderSize - 8), 4);
  file_.seekp(4);
  file_.write(lengths.data(), 4);
  lengths.clear();
  PutLE(lengths, static_cast<uint32_t>(dataBytes), 4);
  file_.seekp(40);
  file_.write(lengths.data(), 4);
  file_.close();
  if (file_.fail()) throw TFileError("Cannot write file \"" + waveFileName_ + "\".");
}

// Whatever the closing steps achieved, the device and the file are let go and the buffers freed.
// Notifications still on their way belong to this opening and are ignored from here on.
void TSoundOut::ReleaseOutput() {
  thread_->SetWaitTimeout(MP_INFINITE);
  deviceOpen_ = false;
  device_.reset();
  {
    std::lock_guard<std::mutex> lock(releaseMutex_);
    ++generation_;
    if (file_.is_open()) file_.close();
    file_.clear();
    queued_ = 0;
    allDone_.SetEvent();
  }
  TMPLockGuard guard(bufferLock_);
  opened_ = false;
  for (auto& buffer : buffers_) std::vector<uint8_t>().swap(buffer);
  fill_ = 0;
  paused_ = false;
}

int TSoundOut::Write(const void* data, int length) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  int taken = 0;
  while (length > 0 && CanWrite()) {
    TMPLockGuard guard(bufferLock_);
    const int n = std::min(bufferSize_ - fill_, length);
    std::memcpy(buffers_[current_].data() + fill_, bytes, static_cast<size_t>(n));
    fill_ += n;
    if (fill_ == bufferSize_) WaveWrite();
    bytes += n;
    length -= n;
    taken += n;
  }
  return taken;
}

bool TSoundOut::CanWrite() {
  TMPLockGuard guard(bufferLock_);
  return opened_ && queued_ < kBufferCount && fill_ < bufferSize_;
}

void TSoundOut::WaitForSpace(TMPEvent* waiter) {
  {
    TMPLockGuard guard(notifyLock_);
    spaceWaiter_ = waiter;
  }
  SpaceCheck();
}

void TSoundOut::WaveWrite() {
  TMPLockGuard guard(bufferLock_);
  MP_ASSERT(queued_ < kBufferCount);
  const int index = current_;
  ++queued_;
  allDone_.ResetEvent();
  lengths_[index] = fill_;
  fill_ = 0;
  if (deviceOpen_) {
    MP_ASSERT(device_ != nullptr);
    try {
      device_->Write(index, static_cast<size_t>(lengths_[index]));
    } catch (const EAudioError& error) {
      // The device never got the buffer, so it will never come back.
      if (--queued_ == 0) allDone_.SetEvent();
      throw SoundOutError(error.what(), "TSoundOut.WaveWrite");
    }
  } else {
    thread_->PostCommand(MPM_WAVEWRITE, static_cast<uint32_t>(index), generation_);
  }
  current_ = (index + 1) % kBufferCount;
}

void TSoundOut::Flush() {
  if (!opened_) return;
  bool partial = false;
  {
    TMPLockGuard guard(bufferLock_);
    partial = fill_ > 0;
  }
  if (partial) WaveWrite();
  TMPSimpleEvent barrier;
  thread_->PostCommand(MPM_SYNC, barrier.Handle(), 0);
  AwaitWorker(barrier, "TSoundOut.Flush", false);
}

void TSoundOut::WaitAllDone() { AwaitWorker(allDone_, "TSoundOut.WaitAllDone", deviceOpen_); }

// Waits for target, or for the worker thread to end. An error that the worker handed to the
// waiters is raised here, also when the target came first. While the worker reports an error
// through OnThreadError the wait ends at once, because that handler may wait for this caller. On
// the device, a wait in which no buffer comes back for DoneTimeout while playing ends in an
// error: a device that keeps its buffers must not hang the caller.
void TSoundOut::AwaitWorker(TMPEvent& target, const char* operation, bool watchDevice) {
  TWaitScope scope(*this);
  int64_t progressMs = NowMs();
  for (;;) {
    const uint32_t slice = watchDevice ? std::max<uint32_t>(doneTimeout_ / 4, 1) : MP_INFINITE;
    const uint32_t woken = MPWaitForAny({&target, &trouble_, &thread_->Ended()}, slice);
    if (woken != MP_WAIT_TIMEOUT) {
      if (scope.Leave(woken != 1)) return;
      continue;
    }
    const int64_t now = NowMs();
    if (paused_) progressMs = now;
    progressMs = std::max<int64_t>(progressMs, lastDoneMs_);
    if (now - progressMs >= doneTimeout_) {
      scope.Leave(true);
      throw SoundOutError(kDeviceStalled, operation);
    }
  }
}

void TSoundOut::Reset() {
  if (!deviceOpen_) return;
  {
    TMPLockGuard guard(bufferLock_);
    fill_ = 0;
  }
  try {
    device_->Reset();
  } catch (const EAudioError& error) {
    throw SoundOutError(error.what(), "TSoundOut.Reset");
  }
  paused_ = false;
  playedBase_ = 0;
}

void TSoundOut::Pause() {
  if (!deviceOpen_) return;
  try {
    device_->Pause();
  } catch (const EAudioError& error) {
    throw SoundOutError(error.what(), "TSoundOut.Pause");
  }
  paused_ = true;
}

int64_t TSoundOut::GetDoneBytes() {
  if (!opened_) return 0;
  int64_t position = fileBytes_;
  if (deviceOpen_) {
    try {
      position = static_cast<int64_t>(device_->Position());
    } catch (const EAudioError& error) {
      throw SoundOutError(error.what(), "TSoundOut.GetDoneBytes");
    }
  }
  const int64_t done = position - playedBase_;
  playedBase_ = position;
  return done;
}

int TSoundOut::FreePercent() {
  if (!opened_) return 0;
  TMPLockGuard guard(bufferLock_);
  const int64_t total = int64_t{kBufferCount} * bufferSize_;
  const int64_t free = int64_t{kBufferCount - queued_} * bufferSize_ - fill_;
  return static_cast<int>(free * 100 / total);
}

int TSoundOut::GetWaveVolume() {
  try {
    TAudioVolume volume;
    try {
      volume = backend_.Open(deviceId_, Format(), nullptr)->Volume();
    } catch (const EAudioError&) {
      if (backend_.DeviceCount() == 0) return 100;
      volume = backend_.DeviceVolume(0);
    }
    return (std::max(volume.Left, volume.Right) * 100 + 32767) / 65535;
  } catch (const std::exception&) {
    return 100;
  }
}

void TSoundOut::SetVolumeToWaveDevice() {
  const int full = (volume_ * 65535 + 50) / 100;
  int left = full;
  int right = full;
  if (balance_ < 0) right = (full * (balance_ + 100) + 50) / 100;
  if (balance_ > 0) left = (full * (100 - balance_) + 50) / 100;
  try {
    device_->SetVolume(TAudioVolume{static_cast<uint16_t>(left), static_cast<uint16_t>(right)});
  } catch (const EAudioError& error) {
    if (!error.NotSupported()) throw SoundOutError(error.what(), "TSoundOut.SetVolumeToWaveDevice");
  }
}

void TSoundOut::HandleDone(TMPMessage& message) {
  {
    std::lock_guard<std::mutex> lock(releaseMutex_);
    if (message.LParam != generation_) return;
    BufferDone();
  }
  SpaceCheck();
  TickCheck();
}

void TSoundOut::HandleFileWrite(TMPMessage& message) {
  std::exception_ptr failure;
  {
    std::lock_guard<std::mutex> lock(releaseMutex_);
    if (message.LParam != generation_) return;
    MP_ASSERT(file_.is_open());
    try {
      WriteBufferToFile(static_cast<int>(message.WParam));
    } catch (const std::exception& error) {
      // A caller waiting for this buffer gets the error before the buffer comes back, so that it
      // cannot leave without it.
      if (!HandToWaiter(error.what())) failure = std::current_exception();
    }
    // A buffer that could not be written is given back all the same, so that nobody waits for it.
    BufferDone();
  }
  SpaceCheck();
  if (failure) std::rethrow_exception(failure);
  TickCheck();
}

void TSoundOut::HandleTimeout(TMPMessage&) {
  if (deviceOpen_) TickCheck();
}

void TSoundOut::BufferDone() {
  MP_ASSERT(queued_ > 0);
  lastDoneMs_ = NowMs();
  if (--queued_ > 0) {
    const int interval = notifyInterval_;
    thread_->SetWaitTimeout(static_cast<uint32_t>(interval));
  } else {
    allDone_.SetEvent();
    thread_->SetWaitTimeout(MP_INFINITE);
  }
}

void TSoundOut::WriteBufferToFile(int index) {
  const auto& buffer = buffers_.at(static_cast<size_t>(index));
  const int length = lengths_.at(static_cast<size_t>(index));
  if (!file_.write(reinterpret_cast<const char*>(buffer.data()), length)) {
    throw TFileError("Cannot write file \"" + waveFileName_ + "\".");
  }
  fileBytes_ += length;
}

void TSoundOut::TickCheck() {
  const int interval = notifyInterval_;
  if (interval == -1) return;
  TNotifyEvent handler;
  {
    std::lock_guard<std::mutex> lock(hookMutex_);
    handler = onNotify_;
  }
  if (!handler) return;
  // A tick is due once the whole interval has passed: a wait of exactly the interval on a
  // millisecond clock must count.
  const uint32_t now = TickCount();
  uint32_t elapsed = now - lastTick_;
  if (elapsed >= static_cast<uint32_t>(interval)) {
    handler(this);
    lastTick_ = now;
    elapsed = 0;
  }
  // Every message restarts the worker's wait, so the wait is set to end when the next tick is
  // due; otherwise a done notice shortly before a tick would put the tick off by a whole interval.
  if (queued_ > 0 && elapsed < static_cast<uint32_t>(interval)) {
    thread_->SetWaitTimeout(static_cast<uint32_t>(interval) - elapsed);
  }
}

void TSoundOut::SpaceCheck() {
  TMPLockGuard guard(notifyLock_);
  if (spaceWaiter_ != nullptr && CanWrite()) {
    spaceWaiter_->SetEvent();
    spaceWaiter_ = nullptr;
  }
}

bool TSoundOut::HandToWaiter(const std::string& text) {
  std::lock_guard<std::mutex> lock(troubleMutex_);
  if (waiters_ == 0 || handed_) return false;
  handed_ = text;
  trouble_.SetEvent();
  return true;
}

// Every error of the worker is reported once: raised by a caller waiting for the worker at that
// moment, else through OnThreadError.
void TSoundOut::WorkerException(const std::exception& error, bool& handled) {
  if (HandToWaiter(error.what())) {
    handled = true;
    return;
  }
  {
    std::lock_guard<std::mutex> lock(troubleMutex_);
    forwarding_ = true;
    trouble_.SetEvent();
  }
  TThreadErrorEvent handler;
  {
    std::lock_guard<std::mutex> lock(hookMutex_);
    handler = onThreadError_;
  }
  if (handler) handler(this, error, handled);
  std::lock_guard<std::mutex> lock(troubleMutex_);
  forwarding_ = false;
  if (!handed_) trouble_.ResetEvent();
}
