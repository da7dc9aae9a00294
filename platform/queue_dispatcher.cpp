#include "platform/queue_dispatcher.h"

#include <utility>

void TQueueDispatcher::Post(std::function<void()> fn) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    queue_.push_back(std::move(fn));
  }
  posted_.notify_one();
}

bool TQueueDispatcher::WaitForWork(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(mutex_);
  return posted_.wait_for(lock, timeout, [this] { return !queue_.empty(); });
}

bool TQueueDispatcher::RunOne(std::chrono::milliseconds timeout) {
  std::function<void()> fn;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    if (!posted_.wait_for(lock, timeout, [this] { return !queue_.empty(); })) return false;
    fn = std::move(queue_.front());
    queue_.pop_front();
  }
  fn();
  return true;
}

int TQueueDispatcher::RunPending() {
  int ran = 0;
  while (RunOne()) ++ran;
  return ran;
}
