#include "mp3player/compo/threads/sync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace {

TEST(TMPSimpleMutex, IsRecursiveAndExcludesOtherThreads) {
  TMPSimpleMutex mutex;
  mutex.Lock();
  mutex.Lock();
  std::atomic<bool> entered{false};
  std::thread other([&] {
    TMPLockGuard guard(mutex);
    entered = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_FALSE(entered);
  mutex.Unlock();
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_FALSE(entered) << "one unlock of two must keep the lock";
  mutex.Unlock();
  other.join();
  EXPECT_TRUE(entered);
}

TEST(TMPSimpleMutex, GuardUnlocksWhenAnExceptionLeavesTheRegion) {
  TMPSimpleMutex mutex;
  try {
    TMPLockGuard guard(mutex);
    throw std::runtime_error("x");
  } catch (const std::runtime_error&) {
  }
  std::thread other([&] { TMPLockGuard guard(mutex); });
  other.join();  // would hang if the guard had not unlocked
}

TEST(TMPEvent, ManualResetStaysSetUntilReset) {
  TMPSimpleEvent event;
  EXPECT_EQ(event.WaitFor(0), MP_WAIT_TIMEOUT);
  event.SetEvent();
  EXPECT_EQ(event.WaitFor(0), MP_WAIT_OBJECT_0);
  EXPECT_EQ(event.WaitFor(MP_INFINITE), MP_WAIT_OBJECT_0);
  event.ResetEvent();
  EXPECT_EQ(event.WaitFor(20), MP_WAIT_TIMEOUT);
}

TEST(TMPEvent, AutoResetReleasesOneWait) {
  TMPEvent event(nullptr, false, true, "");
  EXPECT_EQ(event.WaitFor(0), MP_WAIT_OBJECT_0);
  EXPECT_EQ(event.WaitFor(0), MP_WAIT_TIMEOUT);
}

TEST(TMPEvent, WaitEndsWhenAnotherThreadSetsIt) {
  TMPSimpleEvent event;
  std::thread setter([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    event.SetEvent();
  });
  EXPECT_EQ(event.WaitFor(5000), MP_WAIT_OBJECT_0);
  setter.join();
}

TEST(TMPEvent, EventsOfOneNameShareTheirState) {
  TMPEvent first(nullptr, true, false, "korva-test-shared");
  TMPEvent second(nullptr, true, false, "korva-test-shared");
  TMPEvent other(nullptr, true, false, "korva-test-other");
  EXPECT_NE(first.Handle(), second.Handle());
  first.SetEvent();
  EXPECT_TRUE(second.IsSet());
  EXPECT_FALSE(other.IsSet());
}

TEST(TMPEvent, HandlesFindOnlyLiveEvents) {
  uint32_t handle = 0;
  {
    TMPSimpleEvent event;
    handle = event.Handle();
    EXPECT_NE(handle, 0u);
    EXPECT_TRUE(TMPEvent::SetEventByHandle(handle));
    EXPECT_TRUE(event.IsSet());
  }
  EXPECT_FALSE(TMPEvent::SetEventByHandle(handle));
  EXPECT_FALSE(TMPEvent::SetEventByHandle(0));
}

TEST(MPWaitForAny, AnswersTheIndexOfTheSignalledEvent) {
  TMPSimpleEvent a, b;
  EXPECT_EQ(MPWaitForAny({&a, &b}, 10), MP_WAIT_TIMEOUT);
  std::thread setter([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    b.SetEvent();
  });
  EXPECT_EQ(MPWaitForAny({&a, &b}, MP_INFINITE), 1u);
  setter.join();
}

}  // namespace
