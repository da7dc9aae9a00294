#include "mp3player/compo/threads/sync.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <map>
#include <optional>
#include <unordered_map>
#include <vector>

struct TMPEventState {
  TMPEventState(bool manual, bool initial) : manualReset(manual), signalled(initial) {}

  const bool manualReset;
  // Atomic so that waiters on other locks (the loop thread's queue) can test it without taking
  // this state's mutex, which would invert the lock order of SetEvent.
  std::atomic<bool> signalled;
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<TMPEventWatch*> watches;

  // Takes the signal if there is one; an auto-reset event is cleared by taking it.
  bool TryConsume() {
    std::lock_guard<std::mutex> lock(mutex);
    if (!signalled) return false;
    if (!manualReset) signalled = false;
    return true;
  }
};

namespace {

using Clock = std::chrono::steady_clock;

// Live events by handle, and named event states by name.
struct TEventRegistry {
  std::mutex mutex;
  std::unordered_map<uint32_t, TMPEvent*> events;
  std::map<std::string, std::weak_ptr<TMPEventState>> named;
  uint32_t lastHandle = 0;

  static TEventRegistry& Instance() {
    static TEventRegistry registry;
    return registry;
  }

  // A free non-zero handle; the counter may wrap after billions of events.
  uint32_t NewHandle() {
    do {
      ++lastHandle;
    } while (lastHandle == 0 || events.count(lastHandle) != 0);
    return lastHandle;
  }
};

std::optional<Clock::time_point> Deadline(uint32_t milliseconds) {
  if (milliseconds == MP_INFINITE) return std::nullopt;
  return Clock::now() + std::chrono::milliseconds(milliseconds);
}

}  // namespace

TMPEvent::TMPEvent(const void* /*securityAttributes*/, bool manualReset, bool initialState,
                   const std::string& name) {
  auto& registry = TEventRegistry::Instance();
  std::lock_guard<std::mutex> lock(registry.mutex);
  if (!name.empty()) state_ = registry.named[name].lock();
  if (!state_) {
    state_ = std::make_shared<TMPEventState>(manualReset, initialState);
    if (!name.empty()) registry.named[name] = state_;
  }
  handle_ = registry.NewHandle();
  registry.events[handle_] = this;
}

TMPEvent::~TMPEvent() {
  auto& registry = TEventRegistry::Instance();
  std::lock_guard<std::mutex> lock(registry.mutex);
  registry.events.erase(handle_);
  state_.reset();
  std::erase_if(registry.named, [](const auto& entry) { return entry.second.expired(); });
}

void TMPEvent::SetEvent() {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->signalled = true;
  state_->changed.notify_all();
  for (TMPEventWatch* watch : state_->watches) {
    { std::lock_guard<std::mutex> wakeLock(watch->mutex_); }
    watch->wake_.notify_all();
  }
}

void TMPEvent::ResetEvent() {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->signalled = false;
}

uint32_t TMPEvent::WaitFor(uint32_t milliseconds) {
  std::unique_lock<std::mutex> lock(state_->mutex);
  const auto isSet = [this] { return state_->signalled.load(); };
  const auto deadline = Deadline(milliseconds);
  if (!deadline) {
    state_->changed.wait(lock, isSet);
  } else if (!state_->changed.wait_until(lock, *deadline, isSet)) {
    return MP_WAIT_TIMEOUT;
  }
  if (!state_->manualReset) state_->signalled = false;
  return MP_WAIT_OBJECT_0;
}

bool TMPEvent::IsSet() const { return state_->signalled; }

bool TMPEvent::SetEventByHandle(uint32_t handle) {
  auto& registry = TEventRegistry::Instance();
  std::lock_guard<std::mutex> lock(registry.mutex);
  const auto found = registry.events.find(handle);
  if (found == registry.events.end()) return false;
  found->second->SetEvent();
  return true;
}

TMPEventWatch::TMPEventWatch(TMPEvent& event, std::mutex& mutex, std::condition_variable& wake)
    : state_(event.state_), mutex_(mutex), wake_(wake) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->watches.push_back(this);
}

TMPEventWatch::~TMPEventWatch() {
  std::lock_guard<std::mutex> lock(state_->mutex);
  std::erase(state_->watches, this);
}

uint32_t MPWaitForAny(std::initializer_list<TMPEvent*> events, uint32_t milliseconds) {
  std::mutex mutex;
  std::condition_variable wake;
  std::vector<std::unique_ptr<TMPEventWatch>> watches;
  for (TMPEvent* event : events)
    watches.push_back(std::make_unique<TMPEventWatch>(*event, mutex, wake));

  const auto anySet = [&events] {
    return std::any_of(events.begin(), events.end(), [](TMPEvent* e) { return e->IsSet(); });
  };
  const auto deadline = Deadline(milliseconds);
  for (;;) {
    {
      std::unique_lock<std::mutex> lock(mutex);
      if (!deadline) {
        wake.wait(lock, anySet);
      } else if (!wake.wait_until(lock, *deadline, anySet)) {
        return MP_WAIT_TIMEOUT;
      }
    }
    // Taking the signal needs the event's own lock, which must not be taken under ours. Another
    // waiter may take an auto-reset signal first; then wait on.
    uint32_t index = 0;
    for (TMPEvent* event : events) {
      if (event->state_->TryConsume()) return index;
      ++index;
    }
  }
}
