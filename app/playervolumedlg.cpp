#include "app/playervolumedlg.h"

#include <QFrame>
#include <QPainter>
#include <QStyleOptionSlider>
#include <QVBoxLayout>

#include "controls/seek_track_bar.h"
#include "mp3player/compo/player/mp3_player.h"

namespace {

constexpr int kHeight = 120;
constexpr int kThumbLength = 16;

// The volume bar counts down from the top (position 0 is full volume), so a style would fill its
// groove from the top down to the thumb: the less volume, the more filled. It is drawn mirrored
// instead, the thumb in the same place and the groove filled from the bottom up to the thumb.
class TVolumeTrackBar : public TSeekTrackBar {
 public:
  using TSeekTrackBar::TSeekTrackBar;

 protected:
  void paintEvent(QPaintEvent*) override {
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.subControls = QStyle::SC_SliderGroove | QStyle::SC_SliderHandle;
    option.upsideDown = !option.upsideDown;
    option.sliderPosition = option.maximum - option.sliderPosition + option.minimum;
    option.sliderValue = option.maximum - option.sliderValue + option.minimum;
    QPainter painter(this);
    style()->drawComplexControl(QStyle::CC_Slider, &option, &painter, this);
  }
};

}  // namespace

TFormPlayerVolumeDlg::TFormPlayerVolumeDlg(TMP3Player& player, int width, QWidget* owner)
    // As a pop-up it closes by itself when the person clicks anywhere else.
    : QWidget(owner, Qt::Popup | Qt::FramelessWindowHint), player_(player) {
  setObjectName("FormPlayerVolumeDlg");
  Panel = new QFrame(this);
  Panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
  TrackBarVolume = new TVolumeTrackBar(Qt::Vertical, Panel);
  TrackBarVolume->setObjectName("TrackBarVolume");
  TrackBarVolume->setRange(0, 100);
  TrackBarVolume->setSingleStep(5);
  TrackBarVolume->setPageStep(10);
  TrackBarVolume->setTickPosition(QSlider::NoTicks);
  // Position 0 at the top, where a vertical track bar traditionally has its minimum, with the
  // keys and the wheel moving the thumb the way they point: the top is full volume.
  TrackBarVolume->setInvertedAppearance(true);
  TrackBarVolume->setInvertedControls(true);
  TrackBarVolume->setMinimumHeight(4 * kThumbLength);
  // The bar never shows a focus frame; keys still reach it through the pop-up.
  TrackBarVolume->setFocusPolicy(Qt::NoFocus);
  connect(TrackBarVolume, &QSlider::valueChanged, this,
          &TFormPlayerVolumeDlg::TrackBarVolumeChange);

  auto* panelLayout = new QVBoxLayout(Panel);
  panelLayout->setContentsMargins(2, 4, 2, 4);
  panelLayout->addWidget(TrackBarVolume, 0, Qt::AlignHCenter);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(Panel);
  setFixedSize(width, kHeight);
}

// The top of the bar is full volume.
void TFormPlayerVolumeDlg::showEvent(QShowEvent* event) {
  const QSignalBlocker block(TrackBarVolume);
  TrackBarVolume->setValue(100 - player_.Volume());
  QWidget::showEvent(event);
}

void TFormPlayerVolumeDlg::TrackBarVolumeChange(int position) { player_.SetVolume(100 - position); }
