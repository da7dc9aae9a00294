#pragma once

#include <condition_variable>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>

// Locks and event objects of the player component, with the semantics of their Windows
// originals (critical sections and kernel events) built on the C++ standard library.

// Wait results and the endless wait, with the values the Windows calls use.
inline constexpr uint32_t MP_INFINITE = 0xFFFFFFFF;
inline constexpr uint32_t MP_WAIT_OBJECT_0 = 0;
inline constexpr uint32_t MP_WAIT_TIMEOUT = 258;

class TMPAbstractMutex {
 public:
  virtual ~TMPAbstractMutex() = default;
  virtual void Lock() = 0;
  virtual void Unlock() = 0;
};

// A recursive lock: the holder may lock it again and must unlock it as often.
class TMPSimpleMutex : public TMPAbstractMutex {
 public:
  void Lock() override { section_.lock(); }
  void Unlock() override { section_.unlock(); }

 private:
  std::recursive_mutex section_;
};

// Holds a lock for a scope, so that the unlock also runs when an exception leaves it.
class TMPLockGuard {
 public:
  explicit TMPLockGuard(TMPAbstractMutex& mutex) : mutex_(mutex) { mutex_.Lock(); }
  ~TMPLockGuard() { mutex_.Unlock(); }
  TMPLockGuard(const TMPLockGuard&) = delete;
  TMPLockGuard& operator=(const TMPLockGuard&) = delete;

 private:
  TMPAbstractMutex& mutex_;
};

struct TMPEventState;

// An event object. A manual-reset event stays signalled until ResetEvent; an auto-reset one is
// cleared again by the wait that it releases. Events of the same non-empty name share their
// state within the process. Handle is a process-unique number that identifies the event while it
// lives, so that it can travel in a 32-bit command parameter.
class TMPEvent {
 public:
  // The security attributes are accepted for the sake of the original signature and ignored.
  TMPEvent(const void* securityAttributes, bool manualReset, bool initialState,
           const std::string& name);
  virtual ~TMPEvent();
  TMPEvent(const TMPEvent&) = delete;
  TMPEvent& operator=(const TMPEvent&) = delete;

  uint32_t Handle() const { return handle_; }
  void SetEvent();
  void ResetEvent();
  // MP_WAIT_OBJECT_0 if the event was signalled within the time, else MP_WAIT_TIMEOUT. 0 tests
  // the state without waiting; MP_INFINITE waits without limit.
  uint32_t WaitFor(uint32_t milliseconds);
  // Reads the state without consuming an auto-reset signal.
  bool IsSet() const;

  // Sets the live event with this handle; false (and nothing happens) if there is none.
  static bool SetEventByHandle(uint32_t handle);

 private:
  friend class TMPEventWatch;
  friend uint32_t MPWaitForAny(std::initializer_list<TMPEvent*> events, uint32_t milliseconds);

  std::shared_ptr<TMPEventState> state_;
  uint32_t handle_;
};

// The event every caller in the program uses: manual reset, unnamed, initially cleared.
class TMPSimpleEvent : public TMPEvent {
 public:
  TMPSimpleEvent() : TMPEvent(nullptr, true, false, std::string()) {}
};

// While it lives, every SetEvent of the event wakes the given condition variable (after taking
// and releasing its mutex, so that a waiter that has just tested its condition cannot miss it).
class TMPEventWatch {
 public:
  TMPEventWatch(TMPEvent& event, std::mutex& mutex, std::condition_variable& wake);
  ~TMPEventWatch();
  TMPEventWatch(const TMPEventWatch&) = delete;
  TMPEventWatch& operator=(const TMPEventWatch&) = delete;

 private:
  friend class TMPEvent;

  std::shared_ptr<TMPEventState> state_;
  std::mutex& mutex_;
  std::condition_variable& wake_;
};

// Waits until one of the events is signalled (consuming it if it is auto-reset) and answers its
// index, or MP_WAIT_TIMEOUT when the time has passed first.
uint32_t MPWaitForAny(std::initializer_list<TMPEvent*> events, uint32_t milliseconds);
