#include "controls/seek_track_bar.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QVBoxLayout>
#include <QWheelEvent>

namespace {

void Configure(QSlider& bar) {
  bar.setRange(0, 100);
  bar.setSingleStep(5);
  bar.setPageStep(20);
  bar.setValue(10);
}

int AfterKey(QSlider& bar, Qt::Key key) {
  Configure(bar);
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(&bar, &press);
  return bar.value();
}

int AfterWheelNotch(QSlider& bar) {
  Configure(bar);
  bar.setValue(50);
  QWheelEvent notch(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, 120), Qt::NoButton,
                    Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&bar, &notch);
  return bar.value();
}

TEST(SeekTrackBarTest, HorizontalKeysMoveUpwardsToTheRight) {
  TSeekTrackBar bar;
  EXPECT_TRUE(bar.HReverse());
  EXPECT_FALSE(bar.SelEnabled());
  EXPECT_EQ(AfterKey(bar, Qt::Key_Up), 15);
  EXPECT_EQ(AfterKey(bar, Qt::Key_Down), 5);
  EXPECT_EQ(AfterKey(bar, Qt::Key_PageUp), 30);
  EXPECT_EQ(AfterKey(bar, Qt::Key_PageDown), 0);
  EXPECT_EQ(AfterKey(bar, Qt::Key_Home), 100);
  EXPECT_EQ(AfterKey(bar, Qt::Key_End), 0);
  EXPECT_EQ(AfterKey(bar, Qt::Key_Right), 15);
  EXPECT_EQ(AfterKey(bar, Qt::Key_Left), 5);
}

// A wheel turned up moves a horizontal bar towards the end, as the Up key does, and a vertical
// one as the plain slider.
TEST(SeekTrackBarTest, WheelTurnedUpMovesLikeTheUpKey) {
  TSeekTrackBar horizontal;
  EXPECT_GT(AfterWheelNotch(horizontal), 50);
  TSeekTrackBar unreversed;
  unreversed.SetHReverse(false);
  EXPECT_GT(AfterWheelNotch(unreversed), 50);

  QSlider plain_vertical(Qt::Vertical);
  TSeekTrackBar vertical(Qt::Vertical);
  EXPECT_EQ(AfterWheelNotch(vertical), AfterWheelNotch(plain_vertical));
}

// The position bar counts milliseconds: a wheel notch moves it by its wheel step, not by 3 ms.
TEST(SeekTrackBarTest, AWheelNotchMovesByTheWheelStep) {
  TSeekTrackBar bar;
  bar.setRange(0, 60000);
  bar.SetWheelStep(5000);
  bar.setValue(10000);
  const auto turn = [&](int angle) {
    QWheelEvent wheel(QPointF(5, 5), QPointF(5, 5), QPoint(), QPoint(0, angle), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&bar, &wheel);
    return bar.value();
  };
  EXPECT_EQ(turn(120), 15000);
  EXPECT_EQ(turn(-240), 5000);
  EXPECT_EQ(turn(60), 5000);  // Half a notch waits for the other half.
  EXPECT_EQ(turn(60), 10000);
  EXPECT_EQ(turn(-1200), 0);
}

TEST(SeekTrackBarTest, KeysFollowThePlainSliderWhenVerticalOrNotReversed) {
  for (Qt::Key key :
       {Qt::Key_Up, Qt::Key_Down, Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Home, Qt::Key_End}) {
    QSlider plain_vertical(Qt::Vertical);
    TSeekTrackBar vertical(Qt::Vertical);
    EXPECT_EQ(AfterKey(vertical, key), AfterKey(plain_vertical, key)) << key;

    QSlider plain(Qt::Horizontal);
    TSeekTrackBar unreversed;
    unreversed.SetHReverse(false);
    EXPECT_EQ(AfterKey(unreversed, key), AfterKey(plain, key)) << key;
  }
}

TEST(SeekTrackBarTest, FocusTakenWhileDraggingReportsTheTaker) {
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* bar = new TSeekTrackBar;
  auto* other = new QLineEdit;
  layout->addWidget(bar);
  layout->addWidget(other);
  window.show();
  QApplication::setActiveWindow(&window);
  QObject* sender = nullptr;
  int calls = 0;
  bar->OnCancelMode = [&](QObject* s) {
    sender = s;
    ++calls;
  };

  bar->setFocus();
  other->setFocus();
  EXPECT_EQ(calls, 0) << "no drag was going on";

  bar->setFocus();
  bar->setSliderDown(true);
  other->setFocus();
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(sender, other);
  EXPECT_FALSE(bar->isSliderDown());
}

// A click beside the thumb puts it where the click was (not a page further), on either bar; a
// press on the thumb leaves it where it is, and the mouse then drags it as before.
TEST(SeekTrackBarTest, AClickJumpsToItsPlaceAndTheThumbStillDrags) {
  auto click = [](TSeekTrackBar& bar, QPoint point, QEvent::Type type = QEvent::MouseButtonPress) {
    QMouseEvent event(type, point, bar.mapToGlobal(point), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(&bar, &event);
  };
  TSeekTrackBar bar;
  bar.setRange(0, 1000);
  bar.setPageStep(66);
  bar.resize(300, 22);
  click(bar, QPoint(225, 11));
  EXPECT_NEAR(bar.value(), 750, 30);
  click(bar, QPoint(225, 11), QEvent::MouseButtonRelease);
  click(bar, QPoint(2, 11));
  EXPECT_EQ(bar.value(), 0);
  click(bar, QPoint(2, 11), QEvent::MouseButtonRelease);

  bar.setValue(500);
  const int thumb = 150;
  click(bar, QPoint(thumb + 3, 11));
  EXPECT_EQ(bar.value(), 500) << "a press on the thumb does not move it";
  EXPECT_TRUE(bar.isSliderDown());
  click(bar, QPoint(thumb + 3 + 60, 11), QEvent::MouseMove);
  EXPECT_GT(bar.value(), 600);
  click(bar, QPoint(thumb + 3 + 60, 11), QEvent::MouseButtonRelease);

  TSeekTrackBar vertical(Qt::Vertical);
  vertical.setRange(0, 100);
  vertical.resize(22, 200);
  click(vertical, QPoint(11, 2));
  EXPECT_EQ(vertical.value(), 100) << "the top of a vertical bar is its maximum";
}

}  // namespace
