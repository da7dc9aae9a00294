#include "controls/seek_track_bar.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>
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

std::optional<int> TSeekTrackBar::ValueBesideThumb(const QPoint& point) const {
  QStyleOptionSlider option;
  initStyleOption(&option);
  if (style()->hitTestComplexControl(QStyle::CC_Slider, &option, point, this) ==
      QStyle::SC_SliderHandle) {
    return std::nullopt;
  }
  const QRect groove =
      style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
  const QRect thumb =
      style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
  const bool horizontal = orientation() == Qt::Horizontal;
  const int span = horizontal ? groove.width() - thumb.width() : groove.height() - thumb.height();
  const int offset = horizontal ? point.x() - groove.x() - thumb.width() / 2
                                : point.y() - groove.y() - thumb.height() / 2;
  return QStyle::sliderValueFromPosition(minimum(), maximum(), offset, span, option.upsideDown);
}

void TSeekTrackBar::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    if (const auto value = ValueBesideThumb(event->position().toPoint())) setValue(*value);
  }
  // The thumb is under the mouse now, so the slider takes the press as the start of a drag.
  QSlider::mousePressEvent(event);
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
