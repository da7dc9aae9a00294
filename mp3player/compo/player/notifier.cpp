#include "mp3player/compo/player/notifier.h"

#include <utility>

#include "platform/dispatcher.h"

TMPNotifier::TMPNotifier(IDispatcher& dispatcher, THandler handler)
    : dispatcher_(dispatcher), handler_(std::move(handler)) {}

void TMPNotifier::Post(uint32_t code, uint32_t value, std::string text) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!connected_) return;
  Queue(code, value, std::move(text));
}

void TMPNotifier::PostOnce(uint32_t code) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!connected_ || waiting_[code] > 0) return;
  Queue(code, 0, std::string());
}

// Called under mutex_. The queued call keeps this object alive, so that a notice that arrives
// after the player is gone finds it disconnected instead of freed.
void TMPNotifier::Queue(uint32_t code, uint32_t value, std::string text) {
  ++waiting_[code];
  dispatcher_.Post([self = shared_from_this(), code, value, text = std::move(text)] {
    self->Deliver(code, value, text);
  });
}

void TMPNotifier::RemoveWaiting(uint32_t code) {
  std::lock_guard<std::mutex> lock(mutex_);
  waiting_[code] = 0;
}

void TMPNotifier::Disconnect() {
  std::lock_guard<std::mutex> lock(mutex_);
  connected_ = false;
  waiting_.clear();
}

// A notice whose code was withdrawn meanwhile finds no waiting count left and is dropped.
void TMPNotifier::Deliver(uint32_t code, uint32_t value, const std::string& text) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!connected_) return;
    int& count = waiting_[code];
    if (count == 0) return;
    --count;
  }
  handler_(code, value, text);
}
