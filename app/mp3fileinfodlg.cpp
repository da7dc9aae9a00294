#include "app/mp3fileinfodlg.h"

#include <QEnterEvent>
#include <QEvent>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QLocale>
#include <QTimer>
#include <QVBoxLayout>

namespace {

constexpr int kBorderWidth = 5;
constexpr int kBevelWidth = 1;
// Time to move the pointer back onto the text before the pop-up goes.
constexpr int kCloseDelayMs = 1300;

QString TwoDigits(int64_t value) { return QStringLiteral("%1").arg(value, 2, 10, QChar('0')); }

// The player numbers MPEG-2.5 as version 3.
QString MpegVersionName(int version) {
  return version == 3 ? QStringLiteral("2.5") : QString::number(version);
}

}  // namespace

QString FormatMinutesSeconds(int64_t ms) {
  return TwoDigits(ms / 60000 % 60) + ":" + TwoDigits(ms / 1000 % 60);
}

QString FormatHoursMinutesSeconds(int64_t ms) {
  return QString::number(ms / 3600000 % 24) + ":" + FormatMinutesSeconds(ms);
}

QString Mp3InfoText(const TMp3InfoFacts& facts) {
  return QStringLiteral("タイトル: %1\nアルバム: %2\nアーティスト: %3")
             .arg(facts.Title, facts.Album, facts.Artist) +
         QStringLiteral("\n演奏時間: %1").arg(FormatHoursMinutesSeconds(facts.DurationMs)) +
         QStringLiteral("\nビットレート: %1 kBit").arg(facts.Bitrate / 1000) +
         QStringLiteral("\nサンプリングレート: %1 Hz").arg(QLocale().toString(facts.SampleRate)) +
         QStringLiteral("\n形式: MPEG%1 Layer-%2")
             .arg(MpegVersionName(facts.MPEGVersion))
             .arg(facts.Layer);
}

// As a pop-up it closes by itself when the person clicks anywhere else.
TFormMp3FileInfoDlg::TFormMp3FileInfoDlg(QWidget* owner)
    : QWidget(owner, Qt::Popup | Qt::FramelessWindowHint) {
  setObjectName("FormMp3FileInfoDlg");
  PanelInfo = new QFrame(this);
  PanelInfo->setObjectName("PanelInfo");
  PanelInfo->setFrameStyle(QFrame::Panel | QFrame::Raised);
  PanelInfo->setLineWidth(kBevelWidth);
  PanelInfo->setStyleSheet(QStringLiteral("QFrame#PanelInfo { background: black; }"));
  LabelInfo = new QLabel(PanelInfo);
  LabelInfo->setObjectName("LabelInfo");
  LabelInfo->setStyleSheet(QStringLiteral("QLabel { color: #fffbf0; background: transparent; }"));
  QFont font(QStringLiteral("ＭＳ Ｐゴシック"));
  font.setPixelSize(12);
  LabelInfo->setFont(font);
  LabelInfo->move(kBorderWidth + kBevelWidth, kBorderWidth + kBevelWidth);
  LabelInfo->installEventFilter(this);
  PanelInfo->installEventFilter(this);
  TimerClose = new QTimer(this);
  TimerClose->setSingleShot(true);
  connect(TimerClose, &QTimer::timeout, this, &TFormMp3FileInfoDlg::CloseNow);
}

void TFormMp3FileInfoDlg::ShowInfo(const QString& text, const QPoint& topLeft) {
  TimerClose->stop();
  move(topLeft);
  LabelInfo->setText(text);
  LabelInfo->adjustSize();
  // The bevel is counted once in the height, as the panel has always been drawn.
  PanelInfo->setFixedSize(LabelInfo->width() + 2 * kBorderWidth + 2 * kBevelWidth,
                          LabelInfo->height() + 2 * kBorderWidth + kBevelWidth);
  setFixedSize(PanelInfo->size());
  show();
}

void TFormMp3FileInfoDlg::CloseNow() {
  TimerClose->stop();
  hide();
}

bool TFormMp3FileInfoDlg::eventFilter(QObject* watched, QEvent* event) {
  switch (event->type()) {
    case QEvent::Enter:
      if (watched == LabelInfo) TimerClose->stop();
      break;
    case QEvent::Leave:
      if (watched == LabelInfo) TimerClose->start(kCloseDelayMs);
      break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
      CloseNow();
      return true;
    default:
      break;
  }
  return QWidget::eventFilter(watched, event);
}
