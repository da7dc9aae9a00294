#include "mp3player/compo/threads/loop_thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <stdexcept>
#include <thread>
#include <vector>

#include "mp3player/compo/exception_display.h"

namespace {

using namespace std::chrono_literals;

constexpr uint32_t kCommandA = 0x500;
constexpr uint32_t kCommandB = 0x501;
constexpr uint32_t kUnknown = 0x502;
constexpr uint32_t kThrow = 0x503;
constexpr uint32_t kThrowOther = 0x504;
constexpr uint32_t kSlow = 0x505;

// Records what its loop thread hands it. The thread is created with it and ended first.
class TRecorder : public TMPMessageTarget {
 public:
  TRecorder() {
    for (uint32_t code : {kCommandA, kCommandB, MPM_TIMEOUT}) {
      SetHandler(code, [this](TMPMessage& m) { Record(m); });
    }
    SetHandler(MPM_WATCHEVENT, [this](TMPMessage& m) { WatchEvent(m); });
    SetHandler(kThrow, [](TMPMessage&) { throw std::runtime_error("handler failed"); });
    SetHandler(kThrowOther, [](TMPMessage&) { throw 42; });
    SetHandler(kSlow, [this](TMPMessage&) {
      slowStarted = true;
      std::this_thread::sleep_for(100ms);
      slowFinished = true;
    });
  }

  std::vector<TMPMessage> Messages() {
    std::lock_guard<std::mutex> lock(mutex_);
    return messages_;
  }
  int Count(uint32_t code) {
    int n = 0;
    for (const auto& m : Messages()) n += m.Msg == code ? 1 : 0;
    return n;
  }

  std::function<void()> onWatch;
  std::atomic<int> watchPasses{0};
  std::atomic<bool> slowStarted{false};
  std::atomic<bool> slowFinished{false};

 private:
  void Record(const TMPMessage& m) {
    std::lock_guard<std::mutex> lock(mutex_);
    messages_.push_back(m);
  }
  void WatchEvent(TMPMessage& m) {
    ++watchPasses;
    Record(m);
    if (onWatch) onWatch();
  }

  std::mutex mutex_;
  std::vector<TMPMessage> messages_;
};

TEST(TMPLoopThread, HandsCommandsInOrderAndKeepsThosePostedBeforeResume) {
  TRecorder owner;
  TMPLoopThread thread(&owner);
  thread.PostCommand(kCommandA, 1, 2);
  thread.PostCommand(kUnknown, 0, 0);
  thread.PostCommand(MPM_SYNC, 0, 0);           // no event: nothing happens
  thread.PostCommand(MPM_SYNC, 0xFFFFFF00, 0);  // not a live event either
  thread.PostCommand(kCommandB, 3, 4);
  thread.Resume();
  thread.WaitIdle();
  const auto messages = owner.Messages();
  ASSERT_EQ(messages.size(), 2u) << "unknown codes and MPM_SYNC never reach the owner";
  EXPECT_EQ(messages[0].Msg, kCommandA);
  EXPECT_EQ(messages[0].WParam, 1u);
  EXPECT_EQ(messages[0].LParam, 2u);
  EXPECT_EQ(messages[1].Msg, kCommandB);
  EXPECT_EQ(messages[1].WParam, 3u);
}

TEST(TMPLoopThread, QuitDiscardsTheCommandsBehindIt) {
  TRecorder owner;
  TMPLoopThread thread(&owner);
  thread.PostCommand(kCommandA, 0, 0);
  thread.PostQuit();
  thread.PostCommand(kCommandB, 0, 0);
  thread.Resume();
  ASSERT_EQ(thread.Ended().WaitFor(5000), MP_WAIT_OBJECT_0);
  EXPECT_EQ(owner.Count(kCommandA), 1);
  EXPECT_EQ(owner.Count(kCommandB), 0);
  thread.WaitIdle();                    // returns although nobody will answer the barrier
  thread.PostCommand(kCommandA, 0, 0);  // dropped, not queued forever
}

TEST(TMPLoopThread, CommandsRunBetweenTwoWatchEventPasses) {
  TRecorder owner;
  TMPLoopThread thread(&owner);
  owner.onWatch = [] { std::this_thread::sleep_for(1ms); };
  thread.Resume();
  thread.Event().SetEvent();
  while (owner.watchPasses < 3) std::this_thread::yield();
  thread.PostCommand(kCommandA, 0, 0);
  thread.WaitIdle();  // handled while the event is still set
  const int passes = owner.watchPasses;
  while (owner.watchPasses < passes + 2) std::this_thread::yield();
  thread.Event().ResetEvent();
  thread.WaitIdle();
  const auto messages = owner.Messages();
  size_t index = 0;
  while (index < messages.size() && messages[index].Msg != kCommandA) ++index;
  ASSERT_GT(index, 0u);
  ASSERT_LT(index + 1, messages.size());
  EXPECT_EQ(messages[index - 1].Msg, MPM_WATCHEVENT);
  EXPECT_EQ(messages[index + 1].Msg, MPM_WATCHEVENT);
}

TEST(TMPLoopThread, FiniteWaitTimeoutTicksWhileIdle) {
  TRecorder owner;
  TMPLoopThread thread(&owner);
  thread.SetWaitTimeout(20);
  thread.Resume();
  std::this_thread::sleep_for(250ms);
  thread.SetWaitTimeout(MP_INFINITE);
  thread.WaitIdle();
  const int ticks = owner.Count(MPM_TIMEOUT);
  EXPECT_GE(ticks, 4);
  EXPECT_LE(ticks, 13);
  std::this_thread::sleep_for(60ms);
  EXPECT_EQ(owner.Count(MPM_TIMEOUT), ticks) << "no ticks with an infinite time-out";
  // A time-out set from another thread ends the infinite wait in progress.
  thread.SetWaitTimeout(20);
  std::this_thread::sleep_for(100ms);
  EXPECT_GT(owner.Count(MPM_TIMEOUT), ticks);
}

TEST(TMPLoopThread, HandledExceptionsKeepTheThreadGoing) {
  TRecorder owner;
  TMPLoopThread thread(&owner);
  std::vector<std::string> seen;
  std::vector<std::string> shown;
  MPSetExceptionDisplay([&](const std::exception& e) { shown.push_back(e.what()); });
  thread.SetOnException([&](TMPLoopThread* sender, const std::exception& e, bool& handled) {
    EXPECT_EQ(sender, &thread);
    EXPECT_FALSE(handled);
    seen.push_back(e.what());
    handled = seen.size() == 1;  // the second one goes to the display
  });
  thread.PostCommand(kThrow, 0, 0);
  thread.PostCommand(kCommandA, 0, 0);
  thread.PostCommand(kThrow, 0, 0);
  thread.PostCommand(kCommandB, 0, 0);
  thread.Resume();
  thread.WaitIdle();
  MPSetExceptionDisplay(nullptr);
  EXPECT_EQ(seen, (std::vector<std::string>{"handler failed", "handler failed"}));
  EXPECT_EQ(shown, (std::vector<std::string>{"handler failed"}));
  EXPECT_EQ(owner.Count(kCommandA), 1);
  EXPECT_EQ(owner.Count(kCommandB), 1);
}

TEST(TMPLoopThread, OtherExceptionsEndTheThread) {
  TRecorder owner;
  TMPLoopThread thread(&owner);
  thread.PostCommand(kThrowOther, 0, 0);
  thread.PostCommand(kCommandA, 0, 0);
  thread.Resume();
  ASSERT_EQ(thread.Ended().WaitFor(5000), MP_WAIT_OBJECT_0);
  thread.WaitIdle();
  EXPECT_EQ(owner.Count(kCommandA), 0);
}

TEST(TMPLoopThread, DestructionWaitsForTheRunningHandler) {
  TRecorder owner;
  {
    TMPLoopThread thread(&owner);
    thread.PostCommand(kSlow, 0, 0);
    thread.Resume();
    while (!owner.slowStarted) std::this_thread::yield();
  }
  EXPECT_TRUE(owner.slowFinished);
}

TEST(TMPLoopThread, DestructionOfAThreadNeverResumedReturns) {
  TRecorder owner;
  {
    TMPLoopThread thread(&owner);
    thread.PostCommand(kCommandA, 0, 0);
  }
  EXPECT_EQ(owner.Count(kCommandA), 1);
}

TEST(TMPLoopThread, WaitIdleOnItsOwnThreadIsRefused) {
  TRecorder owner;
  TMPLoopThread thread(&owner);
  std::string error;
  thread.SetOnException([&](TMPLoopThread*, const std::exception& e, bool& handled) {
    error = e.what();
    handled = true;
  });
  owner.onWatch = [&] {
    thread.Event().ResetEvent();
    thread.WaitIdle();
  };
  thread.Resume();
  thread.Event().SetEvent();
  while (owner.watchPasses < 1) std::this_thread::yield();
  thread.WaitIdle();
  EXPECT_NE(error.find("Assertion failure"), std::string::npos) << error;
}

TEST(TMPLoopThread, PriorityCanBeSetBeforeAndWhileRunning) {
  TRecorder owner;
  TMPLoopThread thread(&owner);
  thread.SetPriority(-1);
  thread.Resume();
  thread.SetPriority(-15);
  thread.PostCommand(kCommandA, 0, 0);
  thread.WaitIdle();
  EXPECT_EQ(owner.Count(kCommandA), 1);
}

}  // namespace
