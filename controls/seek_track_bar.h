#pragma once

#include <QSlider>
#include <functional>
#include <optional>

// The slider of the play position and the volume. On a horizontal bar the "upward" keys move the
// thumb to the right, towards larger positions, as a seek bar should; a wheel turned up does so
// already on Qt's slider. A bar whose single step is too fine for the wheel (a millisecond on
// the position bar) can be given a step of its own per wheel notch. A click beside the thumb
// moves it to where the click was, as in every music player, and holds it there for dragging.
class TSeekTrackBar : public QSlider {
  Q_OBJECT

 public:
  explicit TSeekTrackBar(Qt::Orientation orientation = Qt::Horizontal, QWidget* parent = nullptr);

  // Called with the widget that took the mouse or the focus away while the thumb was held.
  std::function<void(QObject* sender)> OnCancelMode;

  // Qt's slider draws no selection band; the flag is kept for the forms that set it.
  bool SelEnabled() const { return sel_enabled_; }
  void SetSelEnabled(bool enabled) { sel_enabled_ = enabled; }
  bool HReverse() const { return h_reverse_; }
  void SetHReverse(bool reverse) { h_reverse_ = reverse; }
  // How far one wheel notch moves the thumb, in the same direction as Qt's slider; 0 leaves the
  // wheel to the slider (three single steps a notch).
  int WheelStep() const { return wheel_step_; }
  void SetWheelStep(int step) { wheel_step_ = step; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  bool Reversed() const { return h_reverse_ && orientation() == Qt::Horizontal; }
  // The value whose thumb would be centred on the point, for a point beside the thumb; nullopt
  // on the thumb itself, which the slider drags as it is.
  std::optional<int> ValueBesideThumb(const QPoint& point) const;

  bool sel_enabled_ = false;
  bool h_reverse_ = true;
  int wheel_step_ = 0;
  int wheel_angle_ = 0;  // Of a notch turned in parts (fine-grained wheels and touch pads).
};
