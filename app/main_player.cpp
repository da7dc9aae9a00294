// The tool bar's player controls: play and stop, the position bar, the time and information
// panels and the volume and information pop-ups, all driving the window's one player.
#include <QAction>
#include <QLabel>
#include <QMouseEvent>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>
#include <filesystem>

#include "app/main.h"
#include "app/mp3fileinfodlg.h"
#include "app/player_messages.h"
#include "app/playervolumedlg.h"
#include "controls/folder_listing.h"
#include "controls/seek_track_bar.h"
#include "mp3player/compo/exception_display.h"
#include "platform/files.h"
#include "platform/text_compare.h"

namespace {

// Play on the file loaded and stopped starts where the bar was left, unless that is this close
// to the beginning.
constexpr int kResumeThresholdMs = 1000;
// The bar's page is this part of the file.
constexpr int kPagesPerFile = 15;
// One notch of the mouse wheel on the position bar, and Ctrl+Left or Ctrl+Right while a preview
// plays, move this far.
constexpr int kSeekStepMs = 5000;
// A preview that ends sooner after its start is not repeated: a file that holds next to no
// sound would otherwise start again and again for ever.
constexpr qint64 kShortestRepeatMs = 1000;

// What the person is told, after the path, of a file that cannot be played.
constexpr const char* kMsgFileGone =
    "\nが見つかりません。削除されたか移動されたようです。フォルダを開き直してください。";
constexpr const char* kMsgLinkDangles =
    "\nはリンクですが、リンク先のファイルがありません。リンク先を確かめてください。";
constexpr const char* kMsgNotAFile =
    "\nは通常のファイルではない（名前付きパイプなど）ため再生できません。"
    "MP3 ファイルを選んでください。";

// Why `file` cannot be played, as the person is told it; empty when it is a file to try.
std::string UnplayableReason(const std::string& file) {
  namespace fs = std::filesystem;
  const fs::path path(reinterpret_cast<const char8_t*>(file.c_str()));
  std::error_code error;
  const fs::file_status target = fs::status(path, error);
  if (fs::is_regular_file(target)) return {};
  if (fs::exists(target)) return file + kMsgNotAFile;
  return file + (fs::is_symlink(fs::symlink_status(path, error)) ? kMsgLinkDangles : kMsgFileGone);
}

// Calls a handler when a mouse button goes down on the watched widget.
class TMouseDownFilter : public QObject {
 public:
  TMouseDownFilter(QWidget* widget, std::function<void()> handler)
      : QObject(widget), handler_(std::move(handler)) {
    widget->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonPress) handler_();
    return QObject::eventFilter(watched, event);
  }

 private:
  std::function<void()> handler_;
};

}  // namespace

void TFormMain::CreatePlayer() {
  // Worker errors of the player and errors of opening a file are shown to the person, once.
  MPSetExceptionDisplay(
      [this](const std::exception& error) { Prompts().ShowMessage(PlayerErrorMessage(error)); });
  Mp3Player = std::make_unique<TMP3Player>(PlayerDispatcher);
  TMP3Player& p = *Mp3Player;
  p.BeginLoading();
  p.SetAutoOpen(true);
  p.SetAutoPlay(true);
  p.SetChangePosStep(400);
  p.SetDecodePriority(tpNormal);
  p.SetEqualizerEnabled(false);
  p.SetEqualizerCount(6);
  p.SetEqualizerMode(memSubBand);
  p.SetNeedInfoType({mitID3V1, mitID3V2, mitRiff});
  p.SetNoisySeek(false);
  p.SetInvertPolarity(false);
  p.SetUsingCpuCapabilities({mccMMX, mcc3DNow, mccKNI, mccE3DNow, mccCMOV, mccEMMX});
  p.SetVolBalance(0);
  p.SetVolume(0);  // while loading: the device's current volume
  p.SetOnChangePosition([this](TMP3Player*) { Mp3PlayerChangePosition(); });
  p.SetOnChangeStatus([this](TMP3Player*) { Mp3PlayerChangeStatus(); });
  p.SetOnEndPlay([this](TMP3Player*, TMP3EndPlayReason reason) { Mp3PlayerEndPlay(reason); });
  p.EndLoading();

  connect(ActionPlayMp3, &QAction::triggered, this, [this] { ActionPlayMp3Execute(true); });
  connect(ActionStopPlayer, &QAction::triggered, this, &TFormMain::ActionStopPlayerExecute);
  // A double click in the file list runs the command itself, without its action.
  connect(FileList.get(), &TFileListView::FileDoubleClicked, this,
          [this] { ActionPlayMp3Execute(false); });
  connect(TrackBarPlayer, &QSlider::valueChanged, this, &TFormMain::TrackBarPlayerChange);
  TrackBarPlayer->SetWheelStep(kSeekStepMs);
  // The bar never keeps the keyboard focus; the lists keep it for Enter.
  TrackBarPlayer->setFocusPolicy(Qt::NoFocus);
  connect(ToolButtonVolume, &QToolButton::clicked, this, &TFormMain::ToolButtonVolumeClick);
  new TMouseDownFilter(PanelTime, [this] { PanelTimeMouseDown(); });
  new TMouseDownFilter(PanelMp3FileInfo, [this] { PanelMp3FileInfoMouseDown(); });
  CreateSeekKeys();
}

// Keyboard seeking for the window, which the bar never has the focus for. The keys are only
// taken while a preview can seek; otherwise they stay with the lists and the tree.
void TFormMain::CreateSeekKeys() {
  auto seekKey = [this](const QKeySequence& key, int step) {
    auto* action = new QAction(this);
    action->setShortcut(key);
    action->setEnabled(false);
    addAction(action);
    connect(action, &QAction::triggered, this,
            [this, step] { TrackBarPlayer->setValue(TrackBarPlayer->value() + step); });
    return action;
  };
  ActionSeekBack = seekKey(QKeySequence(Qt::CTRL | Qt::Key_Left), -kSeekStepMs);
  ActionSeekForward = seekKey(QKeySequence(Qt::CTRL | Qt::Key_Right), kSeekStepMs);
}

void TFormMain::DestroyPlayer() {
  Mp3Player.reset();
  MPSetExceptionDisplay(nullptr);
}

std::string TFormMain::ChosenPlayFile(bool hasSender) const {
  std::string file;
  const QList<QTreeWidgetItem*> scenes = ListViewConfig->selectedItems();
  if (ListViewConfig->hasFocus() && !scenes.isEmpty()) {
    int row = ListViewConfig->topLevelItemCount();
    for (QTreeWidgetItem* scene : scenes)
      row = std::min(row, ListViewConfig->indexOfTopLevelItem(scene));
    if (const TKorvaConfigItem* item = ConfigRowItem(row)) {
      file = item->FileName;
      // Called directly, an override plays the game's own music of its scene.
      const int original =
          hasSender || item->IsDefault ? -1 : DefaultConfig.IndexOfScene(item->Scene);
      if (original >= 0) file = DefaultConfig.Items(original).FileName;
    }
  } else if (ListViewFiles->hasFocus()) {
    file = SelectedFilePath();
  }
  return file.empty() ? Mp3Player->FileName() : file;
}

void TFormMain::ActionPlayMp3Execute(bool hasSender) {
  const std::string file = ChosenPlayFile(hasSender);
  if (file.empty()) return;
  if (const std::string reason = UnplayableReason(file); !reason.empty()) {
    Prompts().ShowMessage(reason);
    return;
  }
  StartPreview([&] {
    if (!SamePath(Mp3Player->FileName(), file)) {
      Mp3Player->Close();
      Mp3Player->SetFileName(file);
    } else if (ToolButtonPlay->isEnabled()) {
      Mp3Player->Play();
      if (TrackBarPlayer->value() > kResumeThresholdMs) Mp3Player->Seek(TrackBarPlayer->value());
    } else {
      Mp3Player->Stop();
      Mp3Player->Play();
    }
  });
  TrackBarPlayer->setPageStep(static_cast<int>(Mp3Player->Duration() / kPagesPerFile));
  PanelMp3FileInfo->setText(QString::fromStdString(Mp3Player->Title()));
}

void TFormMain::ActionStopPlayerExecute() {
  RunPlayerCommand([this] { Mp3Player->Stop(); });
}

void TFormMain::StartPreview(const std::function<void()>& command) {
  previewStarted_.start();
  RunPlayerCommand(command);
}

// A file that cannot be played (not MPEG audio, unreadable, gone) is reported once; the
// player is closed then, and the controls show it stopped at the beginning.
void TFormMain::RunPlayerCommand(const std::function<void()>& command) {
  try {
    command();
  } catch (const std::exception& error) {
    MPShowException(error);
    ShowPlayerPosition(0, 0);
  }
}

// The play button stands for "stopped": it is disabled only while a file plays, also when no
// file is open (after a file failed to open, say), so it can always start the next one.
void TFormMain::Mp3PlayerChangeStatus() {
  const TMP3PlayerCommands commands = Mp3Player->Commands();
  ToolButtonPlay->setEnabled(commands.Contains(mpcPlay) || !Mp3Player->Opened());
  ActionStopPlayer->setEnabled(commands.Contains(mpcStop));
  ActionSeekBack->setEnabled(commands.Contains(mpcSeek));
  ActionSeekForward->setEnabled(commands.Contains(mpcSeek));
}

void TFormMain::Mp3PlayerChangePosition() {
  ShowPlayerPosition(Mp3Player->Position(), Mp3Player->Duration());
}

void TFormMain::ShowPlayerPosition(int64_t position, int64_t duration) {
  // Moving the bar from here is not the person moving it.
  updatingTrackBar_ = true;
  TrackBarPlayer->setMaximum(static_cast<int>(duration));
  TrackBarPlayer->setValue(static_cast<int>(position));
  updatingTrackBar_ = false;
  ShowTime(position, duration);
}

void TFormMain::ShowTime(int64_t position, int64_t duration) {
  // A position past an estimated duration leaves nothing, not a negative time.
  const int64_t left = std::max<int64_t>(duration - position, 0);
  PanelTime->setText(FormatMinutesSeconds(PanelTimeTag != 0 ? left : position));
}

// A preview repeats until it is stopped, unless it ended almost as soon as it started.
void TFormMain::Mp3PlayerEndPlay(TMP3EndPlayReason reason) {
  if (reason != merSuccessful || previewStarted_.elapsed() < kShortestRepeatMs) return;
  StartPreview([this] { Mp3Player->Play(); });
}

void TFormMain::TrackBarPlayerChange(int position) {
  if (updatingTrackBar_) return;
  if (Mp3Player->Commands().Contains(mpcSeek)) {
    RunPlayerCommand([&] { Mp3Player->Seek(position); });
  } else if (ToolButtonPlay->isEnabled() && FileExists(Mp3Player->FileName())) {
    // Stopped: the bar chooses where the next play of this file starts.
    ShowTime(position, TrackBarPlayer->maximum());
  }
}

void TFormMain::PanelTimeMouseDown() { PanelTimeTag = PanelTimeTag == 0 ? 1 : 0; }

void TFormMain::ToolButtonVolumeClick() {
  if (FormPlayerVolumeDlg == nullptr)
    FormPlayerVolumeDlg = new TFormPlayerVolumeDlg(*Mp3Player, ToolButtonVolume->width(), this);
  FormPlayerVolumeDlg->move(ToolButtonVolume->mapToGlobal(QPoint(0, 0)));
  FormPlayerVolumeDlg->show();
}

void TFormMain::PanelMp3FileInfoMouseDown() {
  if (!Mp3Player->Opened()) return;
  if (FormMp3FileInfoDlg == nullptr) FormMp3FileInfoDlg = new TFormMp3FileInfoDlg(this);
  TMp3InfoFacts facts;
  facts.Title = QString::fromStdString(Mp3Player->Title());
  facts.Album = QString::fromStdString(Mp3Player->Album());
  facts.Artist = QString::fromStdString(Mp3Player->Artist());
  facts.DurationMs = Mp3Player->Duration();
  facts.Bitrate = Mp3Player->Bitrate();
  facts.SampleRate = Mp3Player->SampleRate();
  facts.MPEGVersion = Mp3Player->MPEGVersion();
  facts.Layer = Mp3Player->Layer();
  FormMp3FileInfoDlg->ShowInfo(
      Mp3InfoText(facts), PanelMp3FileInfo->mapToGlobal(QPoint(0, PanelMp3FileInfo->height() + 1)));
}
