#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

class QLabel;
class QWidget;

// Keeps the window alive while the user-interface thread does a long piece of work (listing a
// large folder, searching a whole drive): the hourglass shows, the windows repaint, the status
// bar tells how far the work has come, and Esc stops it. Other input is held back, so nothing
// can change the lists under the work; a message box that opens meanwhile stays usable.
class TBusyWork : public QObject {
 public:
  // status: the status bar panel that shows the progress; its text comes back at the end.
  explicit TBusyWork(QLabel* status);
  ~TBusyWork() override;
  TBusyWork(const TBusyWork&) = delete;
  TBusyWork& operator=(const TBusyWork&) = delete;

  // Call often while working. About every 30 ms it shows progress() and lets the windows
  // repaint. False once the person has pressed Esc or closed a window: the work should stop
  // and keep what it has.
  bool KeepAlive(const std::function<QString()>& progress);
  bool Stopped() const { return stopped_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPointer<QLabel> status_;
  QString old_status_;
  QElapsedTimer since_pump_;
  bool stopped_ = false;
  QPointer<QWidget> close_later_;  // a window the person closed during the work
};
