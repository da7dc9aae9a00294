#pragma once

#include <functional>

// Carries work from a worker thread to the user-interface thread. The program posts to Qt's
// event loop; tests pump a queue by hand so that they decide when the work runs.
class IDispatcher {
 public:
  virtual ~IDispatcher() = default;
  // Queues fn to run later on the user-interface thread, in posting order. Safe from any thread.
  virtual void Post(std::function<void()> fn) = 0;
};
