#include "app/busy_work.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>

namespace {

// Often enough that the window never looks frozen, seldom enough that pumping costs little.
constexpr qint64 kPumpIntervalMs = 30;

// Input that starts something. Releases pass: the click that started the work (a folder chosen
// in the tree) ends with one, and the tree opens the folder on it.
bool IsInput(QEvent::Type type) {
  switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TabletPress:
      return true;
    default:
      return false;
  }
}

}  // namespace

TBusyWork::TBusyWork(QLabel* status) : status_(status) {
  if (status_ != nullptr) old_status_ = status_->text();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  qApp->installEventFilter(this);
  since_pump_.start();
}

TBusyWork::~TBusyWork() {
  qApp->removeEventFilter(this);
  QApplication::restoreOverrideCursor();
  if (status_ != nullptr) status_->setText(old_status_);
  // The close waited for the work to end; now it goes ahead.
  if (close_later_ != nullptr) QTimer::singleShot(0, close_later_.data(), &QWidget::close);
}

bool TBusyWork::KeepAlive(const std::function<QString()>& progress) {
  if (!stopped_ && since_pump_.elapsed() >= kPumpIntervalMs) {
    if (status_ != nullptr) status_->setText(progress());
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    since_pump_.restart();
  }
  return !stopped_;
}

bool TBusyWork::eventFilter(QObject* watched, QEvent* event) {
  // A message box shown meanwhile (a player error, say) must be answerable.
  if (QApplication::activeModalWidget() != nullptr) return false;
  // Only the person's close (the window system's) waits; a tool tip closing itself does not.
  if (event->type() == QEvent::Close && event->spontaneous() && watched->isWidgetType() &&
      static_cast<QWidget*>(watched)->isWindow()) {
    stopped_ = true;
    close_later_ = static_cast<QWidget*>(watched);
    event->ignore();
    return true;
  }
  if (!IsInput(event->type())) return false;
  if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
    stopped_ = true;
  return true;
}
