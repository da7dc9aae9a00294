#pragma once

#include <QString>
#include <QWidget>

class QFrame;
class QLabel;
class QTimer;

// The facts of the file being played, as the information pop-up lists them.
struct TMp3InfoFacts {
  QString Title, Album, Artist;
  int64_t DurationMs = 0;
  int Bitrate = 0;  // bits per second; 0 for a variable bit rate
  int SampleRate = 0;
  int MPEGVersion = 0;
  int Layer = 0;
};

// The pop-up's text, one fact per line: title, album, artist, playing time "h:nn:ss", bit rate,
// sampling rate with thousands separators and the format.
QString Mp3InfoText(const TMp3InfoFacts& facts);

// A time of day from milliseconds: "nn:ss" shows the minutes within the hour and the seconds,
// "h:nn:ss" the hours too (without a leading zero).
QString FormatMinutesSeconds(int64_t ms);
QString FormatHoursMinutesSeconds(int64_t ms);

// The pop-up that shows the information of the file being played, just below the tool bar's
// information panel. It goes away on a click, when it loses activation, or 1.3 seconds after
// the pointer left its text.
class TFormMp3FileInfoDlg : public QWidget {
  Q_OBJECT

 public:
  explicit TFormMp3FileInfoDlg(QWidget* owner);

  // Shows the text with the window's top-left corner at a screen position.
  void ShowInfo(const QString& text, const QPoint& topLeft);

  QFrame* PanelInfo = nullptr;
  QLabel* LabelInfo = nullptr;
  QTimer* TimerClose = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CloseNow();
};
