// The decoding thread's work, seeking, the play position and the notices that carry what the
// worker threads report to the user-interface thread.
#include <algorithm>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <thread>

#include "mp3player/compo/assertion.h"
#include "mp3player/compo/exception_display.h"
#include "mp3player/compo/io/stream.h"
#include "mp3player/compo/player/mp3_player.h"
#include "mp3player/compo/player/notifier.h"
#include "mp3player/compo/player/player_notices.h"
#include "platform/files.h"

namespace {

// Below this share of free output the decoding thread gives way to others between two frames.
constexpr int kYieldFreePercent = 25;
// Seek targets beyond this (decades of sound) are the same as the end, and keep the arithmetic
// of the byte position far from overflowing.
constexpr int64_t kLongestSeekMs = int64_t{1} << 40;

}  // namespace

// One step of the decoding thread: a frame read and decoded, or a byte of garbage skipped, or
// the waiting PCM handed to the output. While the output is full, the file is read ahead.
void TMP3Player::WatchEvent() {
  int freePercent = 100;
  bool ended = false;
  uint32_t generation = 0;
  {
    TMPLockGuard decoder(decoderLock_);
    if (!decodeThread_->Event().IsSet()) return;
    if (pcmPending_ == 0) {
      const int32_t bytes = frames_.Step(pcm_.data());
      if (bytes == TMPFrameLoop::kSkipped) return;
      ended = bytes == TMPFrameLoop::kEnd;
      if (ended) {
        FlushAtEnd();
        generation = generation_;
      } else {
        pcmPending_ = bytes;
      }
    }
    if (!ended) WritePending(freePercent);
  }
  if (ended) {
    AwaitEndOfPlay(generation);
    return;
  }
  ReadAheadWhileFull(freePercent);
  if (freePercent <= kYieldFreePercent) std::this_thread::yield();
}

// Under the decoder lock. Without room the thread sleeps on its run event, which the output sets
// again as soon as a buffer comes back.
void TMP3Player::WritePending(int& freePercent) {
  MP_ASSERT(pcmPending_ >= 1);
  TMPLockGuard output(outputLock_);
  if (soundOut_->CanWrite()) {
    const int taken = soundOut_->Write(pcm_.data(), pcmPending_);
    pcmPending_ -= taken;
    std::memmove(pcm_.data(), pcm_.data() + taken, static_cast<size_t>(pcmPending_));
  } else {
    decodeThread_->Event().ResetEvent();
    soundOut_->WaitForSpace(&decodeThread_->Event());
  }
  freePercent = soundOut_->FreePercent();
}

// The time the device needs to play a full output is spent filling the file buffer.
void TMP3Player::ReadAheadWhileFull(int freePercent) {
  while (freePercent == 0) {
    {
      TMPLockGuard decoder(decoderLock_);
      if (!decodeThread_->Event().IsSet()) return;
      MP_ASSERT(reader_.Active());
      if (!reader_.ReadAhead()) return;
    }
    TMPLockGuard output(outputLock_);
    freePercent = soundOut_->FreePercent();
  }
}

// Under the decoder lock. Data that ends because the file was cut short under the player is an
// error, not the end of the piece.
void TMP3Player::CheckSourceWhole() {
  TMPStream* stream = reader_.Stream();
  if (stream == nullptr || !reader_.Seekable() || stream->Size() >= sourceSize_) return;
  throw TFileError("The file became shorter while it was played.");
}

// Under the decoder lock: the last PCM goes to the output.
void TMP3Player::FlushAtEnd() {
  CheckSourceWhole();
  TMPLockGuard output(outputLock_);
  soundOut_->WaitForSpace(nullptr);
  soundOut_->Flush();
}

// The device plays the rest while the thread holds no lock of the player, so that a stop or a
// seek meanwhile neither waits for the device nor is taken for the end: it moves the generation
// on (and its reset of the output ends this wait early).
void TMP3Player::AwaitEndOfPlay(uint32_t generation) {
  soundOut_->WaitAllDone();
  TMPLockGuard decoder(decoderLock_);
  if (generation != generation_ || !decodeThread_->Event().IsSet()) return;
  decodeThread_->Event().ResetEvent();
  notifier_->Post(MPM_ENDOFSTREAM, session_);
}

int64_t TMP3Player::Position() {
  TMPLockGuard output(outputLock_);
  if (soundOut_->Opened()) {
    playedBytes_ += soundOut_->GetDoneBytes();
    const int64_t bitsPerSecond =
        int64_t{soundOut_->SampleRate()} * soundOut_->Channels() * soundOut_->BitsPerSample();
    positionMs_ = playedBytes_ * 1000 * 8 / bitsPerSecond;
  }
  return positionMs_;
}

// The decoding thread goes on as it was: its next step decodes from the target frame.
void TMP3Player::Seek(int64_t milliseconds) {
  if (milliseconds < 0 || !Commands().Contains(mpcSeek)) return;
  milliseconds = std::min(milliseconds, kLongestSeekMs);
  std::exception_ptr failure;
  {
    TMPLockGuard decoder(decoderLock_);
    TMPLockGuard output(outputLock_);
    soundOut_->SetOnNotify(nullptr);
    const bool paused = status_ == mpsPaused;
    ++generation_;
    try {
      soundOut_->Reset();
      soundOut_->WaitAllDone();
      pcmPending_ = 0;
      playedBytes_ = 0;
      positionMs_ = 0;
      if (noisySeek_) {
        frames_.ForgetFrame();
      } else {
        frames_.Restart();
      }
      const int64_t target = milliseconds * sampleRate_ * channels_ * 2 / 1000;
      const int64_t frame = (target + pcmBytesPerFrame_ - 1) / pcmBytesPerFrame_;
      SeekToFrame(std::min<int64_t>(frame, std::numeric_limits<int32_t>::max()));
      if (paused) soundOut_->Pause();
    } catch (...) {
      failure = std::current_exception();
    }
    soundOut_->SetOnNotify([this](TSoundOut*) { PositionNotifier(); });
  }
  PostOnce(MPM_CHANGEPOSITION);
  if (failure) std::rethrow_exception(failure);
}

// Under both locks. Frames past the known ones are found by walking their headers, once: the
// table keeps every frame start found, so a later seek into it is a single stream seek. A target
// past the end lands on the last whole frame.
void TMP3Player::SeekToFrame(int64_t frame) {
  TMPLockGuard table(seekTableLock_);
  const auto count = [this] { return static_cast<int64_t>(seekTable_.size()); };
  if (frame >= count()) {
    reader_.Seek(seekTable_.back(), 0);
    if (!frames_.StepOverFrame()) {
      frame = count() - 1;
    } else {
      while (frame >= count()) {
        const int32_t start = reader_.Position();
        if (!frames_.StepOverFrame()) {
          frame = count() - 1;
          break;
        }
        seekTable_.push_back(start);
      }
    }
  }
  reader_.Seek(seekTable_[static_cast<size_t>(frame)], 0);
  playedBytes_ = frame * pcmBytesPerFrame_;
}

// On a worker thread, inside the handler of its error. The error's text is shown once on the
// user-interface thread, which then stops the player; nothing here waits for that thread, so a
// stop or the player's end can never wait for a worker that waits for them. Decoding halts at
// once so that a failing step does not fail again and again meanwhile.
void TMP3Player::ForwardException(const std::exception& error) {
  decodeThread_->Event().ResetEvent();
  if (failurePending_.exchange(true)) return;
  notifier_->Post(MPM_THREADEXCEPTION, session_, error.what());
}

void TMP3Player::PositionNotifier() { notifier_->Post(MPM_CHANGEPOSITION); }

void TMP3Player::PostOnce(uint32_t code) { notifier_->PostOnce(code); }

// On the user-interface thread. An error of the player itself must not escape into the event
// loop that delivered the notice: it goes to the error display.
void TMP3Player::HandleNotice(uint32_t code, uint32_t value, const std::string& text) {
  try {
    switch (code) {
      case MPM_CHANGEPOSITION:
        notifier_->RemoveWaiting(code);
        DoChangePosition();
        break;
      case MPM_THREADEXCEPTION:
        HandleThreadException(value, text);
        break;
      case MPM_ENDOFSTREAM:
        HandleEndOfStream(value);
        break;
      case MPM_CHANGESTATUS:
        notifier_->RemoveWaiting(code);
        DoChangeStatus();
        break;
      case MPM_ENDPLAY:
        notifier_->RemoveWaiting(code);
        DoEndPlay();
        break;
      case MPM_EQUALIZER:
        notifier_->RemoveWaiting(code);
        if (Opened()) ApplyEqualizer();
        break;
      default:
        break;
    }
  } catch (const std::exception& e) {
    MPShowException(e);
  }
}

// The error is shown whatever happened since; the playing it broke is stopped unless the user
// stopped it or started another in the meantime.
void TMP3Player::HandleThreadException(uint32_t session, const std::string& text) {
  try {
    MPShowException(std::runtime_error(text));
  } catch (...) {
    // A display that fails still lets the player stop.
  }
  if (session != session_ || status_ == mpsStopped) return;
  endReason_ = merFailure;
  try {
    Stop();
  } catch (const std::exception&) {
    // The one message of this failure has been shown; the output is let go all the same.
  }
}

void TMP3Player::HandleEndOfStream(uint32_t session) {
  if (session != session_ || status_ == mpsStopped) return;
  endReason_ = merSuccessful;
  if (sourceFlags_ & kSeekable) {
    Stop();
  } else {
    Close();
  }
}
