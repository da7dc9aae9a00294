#include "controls/seek_track_bar.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWheelEvent>
#include <cstdlib>

namespace {

// The angle of one notch of a common mouse wheel, in eighths of a degree.
constexpr int kNotchAngle = 120;

// The action of a key on a reversed horizontal bar; SliderNoAction for keys left to the slider.
QAbstractSlider::SliderAction ReversedKeyAction(int key) {
  switch (key) {
    case Qt::Key_Up:
      return QAbstractSlider::SliderSingleStepAdd;
    case Qt::Key_Down:
      return QAbstractSlider::SliderSingleStepSub;
    case Qt::Key_PageUp:
      return QAbstractSlider::SliderPageStepAdd;
    case Qt::Key_PageDown:
      return QAbstractSlider::SliderPageStepSub;
    case Qt::Key_Home:
      return QAbstractSlider::SliderToMaximum;
    case Qt::Key_End:
      return QAbstractSlider::SliderToMinimum;
    default:
      return QAbstractSlider::SliderNoAction;
  }
}

}  // namespace

TSeekTrackBar::TSeekTrackBar(Qt::Orientation orientation, QWidget* parent)
    : QSlider(orientation, parent) {}

void TSeekTrackBar::keyPressEvent(QKeyEvent* event) {
  const SliderAction action = Reversed() ? ReversedKeyAction(event->key()) : SliderNoAction;
  if (action == SliderNoAction) {
    QSlider::keyPressEvent(event);
    return;
  }
  triggerAction(action);
  event->accept();
}

void TSeekTrackBar::focusOutEvent(QFocusEvent* event) {
  if (isSliderDown()) {
    QWidget* taker = QApplication::focusWidget();
    if (OnCancelMode) OnCancelMode(taker != nullptr ? static_cast<QObject*>(taker) : this);
    setSliderDown(false);
  }
  QSlider::focusOutEvent(event);
}

void TSeekTrackBar::wheelEvent(QWheelEvent* event) {
  if (wheel_step_ <= 0) {
    QSlider::wheelEvent(event);
    return;
  }
  const QPoint angle = event->angleDelta();
  wheel_angle_ += std::abs(angle.y()) >= std::abs(angle.x()) ? angle.y() : angle.x();
  const int notches = wheel_angle_ / kNotchAngle;
  wheel_angle_ %= kNotchAngle;
  if (notches != 0) setValue(value() + (invertedControls() ? -notches : notches) * wheel_step_);
  event->accept();
}
