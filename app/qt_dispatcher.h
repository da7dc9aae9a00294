#pragma once

#include <QObject>

#include "platform/dispatcher.h"

// Runs posted work on the thread that created the dispatcher (the user-interface thread) from
// Qt's event loop. Work still queued when the dispatcher is destroyed is dropped.
class TQtDispatcher : public IDispatcher {
 public:
  TQtDispatcher();
  void Post(std::function<void()> fn) override;

 private:
  QObject context_;
};
