#pragma once

#include <QWidget>

class QFrame;
class TMP3Player;
class TSeekTrackBar;

// The volume pop-up under the tool bar's volume button: one vertical bar whose top is full
// volume. It closes as soon as the person clicks anywhere else.
class TFormPlayerVolumeDlg : public QWidget {
  Q_OBJECT

 public:
  TFormPlayerVolumeDlg(TMP3Player& player, int width, QWidget* owner);

  QFrame* Panel = nullptr;
  TSeekTrackBar* TrackBarVolume = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void TrackBarVolumeChange(int position);

  TMP3Player& player_;
};
