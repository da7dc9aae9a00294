#include "mp3player/compo/threads/loop_thread.h"

#include <system_error>
#include <utility>

#include "mp3player/compo/assertion.h"
#include "mp3player/compo/exception_display.h"

#ifdef _WIN32
#include <windows.h>
#elif defined(__linux__)
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace {

uint32_t NextThreadId() {
  static std::atomic<uint32_t> last{0};
  return ++last;
}

long CurrentNativeThreadId() {
#ifdef _WIN32
  return static_cast<long>(GetCurrentThreadId());
#elif defined(__linux__)
  return static_cast<long>(syscall(SYS_gettid));
#else
  return 0;
#endif
}

#if defined(__linux__)
// Linux has no per-thread priority classes for ordinary threads; the nice value of the thread
// plays that part. Raising it above normal needs a privilege and then silently fails.
int NiceValueOf(int priority) {
  if (priority <= -3) return 19;
  if (priority >= 3) return -20;
  static constexpr int kNice[] = {10, 5, 0, -5, -10};
  return kNice[priority + 2];
}
#endif

void SetNativePriority(long nativeId, int priority) {
  if (nativeId == 0) return;
#ifdef _WIN32
  HANDLE thread = OpenThread(THREAD_SET_INFORMATION, FALSE, static_cast<DWORD>(nativeId));
  if (thread == nullptr) return;
  SetThreadPriority(thread, priority);
  CloseHandle(thread);
#elif defined(__linux__)
  setpriority(PRIO_PROCESS, static_cast<id_t>(nativeId), NiceValueOf(priority));
#else
  (void)priority;
#endif
}

}  // namespace

void TMPMessageTarget::Dispatch(TMPMessage& message) {
  const auto found = handlers_.find(message.Msg);
  if (found != handlers_.end()) found->second(message);
}

void TMPMessageTarget::SetHandler(uint32_t code, THandler handler) {
  handlers_[code] = std::move(handler);
}

TMPLoopThread::TMPLoopThread(TMPMessageTarget* owner)
    : owner_(owner), threadId_(NextThreadId()), eventWatch_(event_, mutex_, wake_) {
  try {
    thread_ = std::thread([this] { Run(); });
  } catch (const std::system_error&) {
    // No thread: commands are dropped and waits for its end return at once.
    ended_.SetEvent();
  }
}

TMPLoopThread::~TMPLoopThread() { Terminate(); }

void TMPLoopThread::SetOnException(TExceptionEvent handler) {
  std::lock_guard<std::mutex> lock(mutex_);
  onException_ = std::move(handler);
}

void TMPLoopThread::Resume() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    resumed_ = true;
  }
  wake_.notify_all();
}

void TMPLoopThread::SetPriority(int priority) {
  priority_ = priority;
  SetNativePriority(nativeId_, priority);
}

void TMPLoopThread::PostCommand(uint32_t code, uint32_t wParam, uint32_t lParam) {
  if (!HasHandle() || ended_.IsSet()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(TMPMessage{code, wParam, lParam, 0});
  }
  wake_.notify_all();
}

void TMPLoopThread::WaitIdle() {
  if (!HasHandle()) return;
  // On its own thread the barrier would wait for itself forever.
  MP_ASSERT(std::this_thread::get_id() != thread_.get_id());
  TMPSimpleEvent done;
  PostCommand(MPM_SYNC, done.Handle(), 0);
  MPWaitForAny({&done, &ended_}, MP_INFINITE);
}

void TMPLoopThread::Terminate() {
  if (!HasHandle()) return;
  PostQuit();
  // A thread that was never resumed could not take the quit command and would be waited for
  // forever.
  Resume();
  thread_.join();
}

void TMPLoopThread::Run() {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait(lock, [this] { return resumed_; });
  }
  nativeId_ = CurrentNativeThreadId();
  if (priority_ != 0) SetNativePriority(nativeId_, priority_);
  try {
    while (Pass()) {
    }
  } catch (...) {
    // An error that is not a std::exception ends the thread, as MPM_QUIT would.
  }
  ended_.SetEvent();
}

// One pass of the loop: wait, hand the event or the time-out to the owner, then every queued
// command. Answers false when MPM_QUIT was taken.
bool TMPLoopThread::Pass() {
  try {
    switch (WaitForWork()) {
      case TWake::wkEvent:
        Hand(MPM_WATCHEVENT, 0, 0);
        break;
      case TWake::wkTimeout:
        Hand(MPM_TIMEOUT, 0, 0);
        break;
      case TWake::wkCommand:
        break;
    }
    return HandleQueue();
  } catch (const std::exception& error) {
    ReportException(error);
    return true;
  }
}

TMPLoopThread::TWake TMPLoopThread::WaitForWork() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    // A time-out set by another thread while this one waits must not wait for the old one to
    // run out (an infinite one never does): the wait starts again with the new time-out.
    const uint64_t sets = timeoutSets_;
    const auto ready = [&] { return !queue_.empty() || event_.IsSet() || timeoutSets_ != sets; };
    const uint32_t timeout = waitTimeout_;
    if (timeout == MP_INFINITE) {
      wake_.wait(lock, ready);
    } else if (!wake_.wait_for(lock, std::chrono::milliseconds(timeout), ready)) {
      return TWake::wkTimeout;
    }
    if (!queue_.empty() || event_.IsSet())
      return event_.IsSet() ? TWake::wkEvent : TWake::wkCommand;
  }
}

void TMPLoopThread::SetWaitTimeout(uint32_t milliseconds) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    waitTimeout_ = milliseconds;
    ++timeoutSets_;
  }
  wake_.notify_all();
}

// Takes the queued commands oldest first, also those posted meanwhile; MPM_QUIT ends the loop
// and leaves the commands behind it unread.
bool TMPLoopThread::HandleQueue() {
  for (;;) {
    TMPMessage message;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (queue_.empty()) return true;
      message = queue_.front();
      queue_.pop_front();
    }
    if (message.Msg == MPM_QUIT) return false;
    if (message.Msg == MPM_SYNC) {
      TMPEvent::SetEventByHandle(message.WParam);
    } else {
      Hand(message.Msg, message.WParam, message.LParam);
    }
  }
}

void TMPLoopThread::Hand(uint32_t code, uint32_t wParam, uint32_t lParam) {
  if (owner_ == nullptr) return;
  TMPMessage message{code, wParam, lParam, 0};
  owner_->Dispatch(message);
}

void TMPLoopThread::ReportException(const std::exception& error) {
  TExceptionEvent handler;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    handler = onException_;
  }
  bool handled = false;
  if (handler) handler(this, error, handled);
  if (!handled) MPShowException(error);
}
