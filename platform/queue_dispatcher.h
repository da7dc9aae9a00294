#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

#include "platform/dispatcher.h"

// A dispatcher for programs without an event loop (tools, tests): posted work waits in a queue
// until the owning thread pumps it.
class TQueueDispatcher : public IDispatcher {
 public:
  void Post(std::function<void()> fn) override;
  // Waits at most `timeout` until work is posted; false when none came.
  bool WaitForWork(std::chrono::milliseconds timeout);
  // Runs the oldest posted work, waiting for some at most `timeout`; false when none came.
  bool RunOne(std::chrono::milliseconds timeout = std::chrono::milliseconds(0));
  // Runs what is posted, also what that posts, until the queue is empty; answers how much ran.
  int RunPending();

 private:
  std::mutex mutex_;
  std::condition_variable posted_;
  std::deque<std::function<void()>> queue_;
};
