// The player's mailbox on the user-interface thread: notices posted from any thread run a handler
// there, in posting order. A notice can be posted only when none of its code is waiting, and the
// waiting ones of a code can be withdrawn, so that a burst of notices costs one handler call.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

class IDispatcher;

class TMPNotifier : public std::enable_shared_from_this<TMPNotifier> {
 public:
  using THandler = std::function<void(uint32_t code, uint32_t value, const std::string& text)>;

  // The handler runs on the dispatcher's thread; it is never called after Disconnect.
  TMPNotifier(IDispatcher& dispatcher, THandler handler);

  // Posts a notice; safe from any thread.
  void Post(uint32_t code, uint32_t value = 0, std::string text = std::string());
  // Posts a notice unless one of this code is waiting.
  void PostOnce(uint32_t code);
  // Withdraws the waiting notices of this code.
  void RemoveWaiting(uint32_t code);
  // Drops every notice still on its way; called on the dispatcher's thread.
  void Disconnect();

 private:
  void Deliver(uint32_t code, uint32_t value, const std::string& text);
  void Queue(uint32_t code, uint32_t value, std::string text);

  IDispatcher& dispatcher_;
  THandler handler_;
  std::mutex mutex_;  // waiting_ and connected_
  std::unordered_map<uint32_t, int> waiting_;
  bool connected_ = true;
};
