#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <unordered_map>

#include "mp3player/compo/threads/sync.h"

// Command codes of the loop thread (user-message numbers, WM_USER + offset).
inline constexpr uint32_t MPM_QUIT = 0x41E;
inline constexpr uint32_t MPM_WATCHEVENT = 0x41F;
inline constexpr uint32_t MPM_SYNC = 0x420;
inline constexpr uint32_t MPM_TIMEOUT = 0x421;

// One command as the owner's handler receives it. Result is there for the handlers' sake; nobody
// reads it afterwards.
struct TMPMessage {
  uint32_t Msg = 0;
  uint32_t WParam = 0;
  uint32_t LParam = 0;
  uint32_t Result = 0;
};

// An object that receives commands by code. Subclasses register one handler per code while they
// are constructed; a code without a handler is ignored.
class TMPMessageTarget {
 public:
  virtual ~TMPMessageTarget() = default;
  void Dispatch(TMPMessage& message);

 protected:
  using THandler = std::function<void(TMPMessage& message)>;
  void SetHandler(uint32_t code, THandler handler);

 private:
  std::unordered_map<uint32_t, THandler> handlers_;
};

// A worker thread with a first-in, first-out command queue and a run event. While Event is set
// the thread hands MPM_WATCHEVENT to its owner over and over, handling the queued commands
// between two passes; while it is cleared the thread sleeps until a command arrives, the event is
// set, or WaitTimeout passes (which hands MPM_TIMEOUT to the owner).
class TMPLoopThread {
 public:
  using TExceptionEvent =
      std::function<void(TMPLoopThread* sender, const std::exception& error, bool& handled)>;

  // The thread is created suspended: commands posted before Resume are kept for it.
  explicit TMPLoopThread(TMPMessageTarget* owner);
  // Terminates the thread (waiting for the handler that runs, if any).
  ~TMPLoopThread();
  TMPLoopThread(const TMPLoopThread&) = delete;
  TMPLoopThread& operator=(const TMPLoopThread&) = delete;

  uint32_t ThreadID() const { return threadId_; }
  // False when no thread could be made; then commands are dropped and Terminate returns at once.
  bool HasHandle() const { return thread_.joinable(); }
  TMPSimpleEvent& Event() { return event_; }
  // Set once the thread has ended (at once when there is no thread).
  TMPEvent& Ended() { return ended_; }

  // Called on the thread when a handler raised a std::exception; when it leaves handled false,
  // the application's error display shows the error. The thread goes on either way.
  void SetOnException(TExceptionEvent handler);
  uint32_t WaitTimeout() const { return waitTimeout_; }
  // Takes effect at once: a wait in progress starts again with the new time-out.
  void SetWaitTimeout(uint32_t milliseconds);

  void Resume();
  // Windows priority numbers: -15 idle, -2, -1, 0 normal, 1, 2, 15 time critical.
  void SetPriority(int priority);
  void PostCommand(uint32_t code, uint32_t wParam, uint32_t lParam);
  void PostQuit() { PostCommand(MPM_QUIT, 0, 0); }
  // Returns when every command posted before the call has been handled, or the thread has ended.
  // Never call it on the thread itself.
  void WaitIdle();
  // Posts MPM_QUIT and waits until the thread has ended. Never call it on the thread itself.
  void Terminate();

 private:
  enum class TWake { wkEvent, wkCommand, wkTimeout };

  void Run();
  bool Pass();
  TWake WaitForWork();
  bool HandleQueue();
  void Hand(uint32_t code, uint32_t wParam, uint32_t lParam);
  void ReportException(const std::exception& error);

  TMPMessageTarget* const owner_;
  TMPSimpleEvent event_;
  TMPSimpleEvent ended_;
  std::atomic<uint32_t> waitTimeout_{MP_INFINITE};
  std::atomic<int> priority_{0};
  std::atomic<long> nativeId_{0};
  uint32_t threadId_ = 0;

  std::mutex mutex_;  // guards the queue, the resumed flag, the exception hook and timeoutSets_
  uint64_t timeoutSets_ = 0;  // how often the time-out was set, so that a wait notices it
  std::condition_variable wake_;
  std::deque<TMPMessage> queue_;
  bool resumed_ = false;
  TExceptionEvent onException_;
  TMPEventWatch eventWatch_;

  std::thread thread_;
};
