#include "app/qt_dispatcher.h"

#include <QMetaObject>

TQtDispatcher::TQtDispatcher() = default;

// A queued call becomes an event of the context object's thread; Qt keeps posted events in order.
void TQtDispatcher::Post(std::function<void()> fn) {
  QMetaObject::invokeMethod(&context_, std::move(fn), Qt::QueuedConnection);
}
