// The tool bar's player controls and the player pop-ups, on the silent real-time sound device.
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLabel>
#include <QMouseEvent>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <filesystem>
#include <functional>
#include <string>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "app/file_row.h"
#include "app/mp3fileinfodlg.h"
#include "app/player_messages.h"
#include "app/playervolumedlg.h"
#include "controls/seek_track_bar.h"
#include "mp3player/compo/format_error.h"
#include "mp3player/compo/output/sound_out.h"
#include "tests/app/game_folder.h"
#include "tests/platform/scoped_env.h"

namespace {

class PlayerControlsTest : public testing::Test {
 protected:
  void SetUp() override {
    setenv("KORVA_AUDIO", "null", 1);
    game_.WriteTable("0 opening,loop\r\n");
    std::filesystem::copy_file(song_, game_.Music("opening.mp3"));
    form_ = game_.NewForm();
    form_->show();
    form_->activateWindow();
    QApplication::processEvents();
  }

  // Copies a file into a folder of its own, lists that folder and selects the file's row in
  // the focused file list.
  void SelectFile(const std::filesystem::path& source, const std::string& name) {
    std::filesystem::create_directories(game_.Path("songs"));
    std::filesystem::copy_file(source, Song(name),
                               std::filesystem::copy_options::overwrite_existing);
    SelectListed(name);
  }

  // Lists the songs folder and selects the row of `name` in the focused file list.
  void SelectListed(const std::string& name) {
    form_->FileList->FillFileList(game_.Path("songs"));
    QTreeWidget* list = form_->ListViewFiles;
    for (int row = 0; row < list->topLevelItemCount(); ++row) {
      if (list->topLevelItem(row)->text(fcName).toStdString() == name)
        list->setCurrentItem(list->topLevelItem(row));
    }
    list->setFocus();
  }

  std::string Song(const std::string& name) { return JoinPath(game_.Path("songs"), name); }

  static bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms) {
      QApplication::processEvents();
      QThread::msleep(5);
    }
    return done();
  }

  bool Playing() {
    return WaitFor([&] { return !form_->ToolButtonPlay->isEnabled(); }) &&
           form_->ActionStopPlayer->isEnabled();
  }
  bool Stopped() {
    return WaitFor([&] { return form_->ToolButtonPlay->isEnabled(); }) &&
           !form_->ActionStopPlayer->isEnabled();
  }

  static void Click(QWidget* widget) {
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(2, 2), widget->mapToGlobal(QPointF(2, 2)),
                      Qt::LeftButton, Qt::LeftButton, {});
    QApplication::sendEvent(widget, &press);
  }

  const std::filesystem::path song_ = std::filesystem::path(KORVA_DEMO_DIR) / "music/sakura.mp3";
  const std::filesystem::path short_ = std::filesystem::path(KORVA_TEST_DATA) / "browse/alpha.mp3";
  const std::filesystem::path second_ =
      std::filesystem::path(KORVA_TEST_DATA) / "../../mp3player/compo/player/data/vbr.mp3";
  TGameFolder game_;
  std::unique_ptr<TFormMain> form_;
};

TEST_F(PlayerControlsTest, PlayResumesAtTheBarAboveOneSecondAndRestartsAPlayingFile) {
  ASSERT_TRUE(form_->ListViewFiles->isActiveWindow()) << "the offscreen window takes the focus";
  SelectFile(song_, "sakura.mp3");
  form_->ActionPlayMp3->trigger();
  ASSERT_TRUE(Playing());
  EXPECT_EQ(form_->PanelMp3FileInfo->text(), "さくら");
  EXPECT_TRUE(WaitFor([&] { return form_->TrackBarPlayer->value() >= 400; }));
  EXPECT_EQ(form_->TrackBarPlayer->maximum(), form_->Mp3Player->Duration());

  form_->ActionStopPlayer->trigger();
  ASSERT_TRUE(Stopped());
  EXPECT_EQ(form_->TrackBarPlayer->value(), 0);
  // Stopped, the bar only chooses where the next play starts, shown as the time left when the
  // time panel is toggled.
  Click(form_->PanelTime);
  form_->TrackBarPlayer->setValue(2500);
  const int64_t left = form_->Mp3Player->Duration() - 2500;
  EXPECT_EQ(form_->PanelTime->text(), FormatMinutesSeconds(left));
  EXPECT_EQ(form_->Mp3Player->Position(), 0);

  form_->ActionPlayMp3->trigger();
  ASSERT_TRUE(Playing());
  EXPECT_GE(form_->Mp3Player->Position(), 2500);
  // Play on the playing file starts it again from the beginning.
  form_->ActionPlayMp3->trigger();
  EXPECT_LT(form_->Mp3Player->Position(), 1000);
  // Moving the bar while playing seeks.
  form_->TrackBarPlayer->setValue(3000);
  EXPECT_GE(form_->Mp3Player->Position(), 3000);

  form_->ActionStopPlayer->trigger();
  ASSERT_TRUE(Stopped());
  form_->TrackBarPlayer->setValue(900);
  form_->ActionPlayMp3->trigger();
  ASSERT_TRUE(Playing());
  EXPECT_LT(form_->Mp3Player->Position(), 900) << "one second or less plays from the start";
}

// A click on the bar jumps there (its own test has the details); Ctrl+Left and Ctrl+Right seek
// by five seconds while a preview plays and are free for the lists otherwise.
TEST_F(PlayerControlsTest, TheBarJumpsWhereClickedAndTheKeysSeekWhilePlaying) {
  EXPECT_EQ(form_->ActionSeekForward->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Right));
  EXPECT_EQ(form_->ActionSeekBack->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Left));
  EXPECT_FALSE(form_->ActionSeekForward->isEnabled()) << "nothing plays";
  SelectFile(song_, "sakura.mp3");
  form_->ActionPlayMp3->trigger();
  ASSERT_TRUE(Playing());
  ASSERT_TRUE(form_->ActionSeekForward->isEnabled());
  const int64_t duration = form_->Mp3Player->Duration();
  form_->ActionSeekForward->trigger();
  EXPECT_GE(form_->Mp3Player->Position(), std::min<int64_t>(duration - 500, 5000));
  form_->ActionSeekBack->trigger();
  EXPECT_LT(form_->Mp3Player->Position(), 1000);

  TSeekTrackBar* bar = form_->TrackBarPlayer;
  const QPoint threeQuarters(bar->width() * 3 / 4, bar->height() / 2);
  QMouseEvent press(QEvent::MouseButtonPress, threeQuarters, bar->mapToGlobal(threeQuarters),
                    Qt::LeftButton, Qt::LeftButton, {});
  QApplication::sendEvent(bar, &press);
  EXPECT_GT(form_->Mp3Player->Position(), duration / 2) << "not a page of 1/15 further";
}

// Without a sound device the person reads that it could not be opened, the device's own text
// after it; errors of the file keep their text.
TEST(PlayerMessagesTest, SoundDeviceErrorsSayWhatFailed) {
  const std::string technical =
      "そのようなファイルやディレクトリはありません(TSoundOut.Open:WaveOutOpen)";
  EXPECT_EQ(PlayerErrorMessage(ESoundOutError(technical)),
            std::string(kMsgSoundDeviceNotOpened) + "\n" + technical);
  // Errors of the output's worker thread come as their text alone.
  EXPECT_EQ(PlayerErrorMessage(std::runtime_error("I/O error(TSoundOut.WaveWrite)")),
            std::string(kMsgSoundDeviceFailed) + "\nI/O error(TSoundOut.WaveWrite)");
  EXPECT_EQ(PlayerErrorMessage(TMPFormatError()), "unknown MPEG Audio format.");
}

TEST_F(PlayerControlsTest, AnOverriddenSceneCalledWithoutSenderPlaysTheGamesOwnMusic) {
  RunNewConfig(*form_, "mine");
  form_->activateWindow();  // back from the dialog
  QApplication::processEvents();
  SelectFile(short_, "short.mp3");
  form_->ListViewConfig->setCurrentItem(form_->ListViewConfig->topLevelItem(0));
  form_->AssignSelectedFile();
  form_->ListViewConfig->setFocus();
  form_->ActionPlayMp3->trigger();
  EXPECT_EQ(form_->Mp3Player->FileName(), game_.Path("songs/short.mp3"));
  form_->ActionPlayMp3Execute(false);
  EXPECT_EQ(form_->Mp3Player->FileName(), game_.Music("opening.mp3"));
}

TEST_F(PlayerControlsTest, APreviewRepeatsAtItsEnd) {
  SelectFile(second_, "second.mp3");  // a little over a second
  form_->ActionPlayMp3->trigger();
  ASSERT_TRUE(Playing());
  WaitFor([] { return false; }, 1800);
  EXPECT_EQ(form_->Mp3Player->Status(), mpsPlaying);
  EXPECT_FALSE(form_->ToolButtonPlay->isEnabled());
}

// A preview over in less than a second (next to no sound, say) plays once, not for ever.
TEST_F(PlayerControlsTest, APreviewShorterThanASecondIsNotRepeated) {
  SelectFile(short_, "short.mp3");  // a quarter of a second
  form_->ActionPlayMp3->trigger();
  ASSERT_TRUE(Playing());
  ASSERT_TRUE(Stopped());
  WaitFor([] { return false; }, 300);
  EXPECT_EQ(form_->Mp3Player->Status(), mpsStopped);
}

// On a file system that tells letter case apart, a.mp3 is another file than A.mp3.
TEST_F(PlayerControlsTest, AFileNamedLikeTheLoadedOneButForCaseIsAnotherFile) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows file names ignore letter case";
#endif
  SelectFile(short_, "A.mp3");
  form_->ActionPlayMp3->trigger();
  ASSERT_TRUE(Playing());
  SelectFile(song_, "a.mp3");
  form_->ActionPlayMp3->trigger();
  EXPECT_EQ(form_->Mp3Player->FileName(), Song("a.mp3"));
}

// Play on a listed file that has gone since, on a link whose file has gone or on a named pipe
// says why, once.
TEST_F(PlayerControlsTest, PlayOnAFileThatIsGoneSaysWhyOnce) {
  SelectFile(short_, "gone.mp3");
  std::filesystem::remove(Song("gone.mp3"));
  form_->ActionPlayMp3->trigger();
  ASSERT_EQ(game_.Prompts.Messages.size(), 1u);
  EXPECT_EQ(game_.Prompts.Messages[0], Song("gone.mp3") +
                                           "\nが見つかりません。削除されたか移動されたようです。"
                                           "フォルダを開き直してください。");
  EXPECT_FALSE(form_->Mp3Player->Opened());
#ifndef _WIN32
  SelectFile(short_, "target.mp3");
  std::filesystem::create_symlink(Song("target.mp3"), Song("link.mp3"));
  SelectListed("link.mp3");
  std::filesystem::remove(Song("target.mp3"));
  form_->ActionPlayMp3->trigger();
  ASSERT_EQ(game_.Prompts.Messages.size(), 2u);
  EXPECT_NE(game_.Prompts.Messages[1].find("リンク先のファイルがありません"), std::string::npos);

  // A listed file replaced by a named pipe (the list shows no pipes).
  SelectFile(short_, "pipe.mp3");
  std::filesystem::remove(Song("pipe.mp3"));
  ASSERT_EQ(mkfifo(Song("pipe.mp3").c_str(), 0644), 0);
  form_->ActionPlayMp3->trigger();
  ASSERT_EQ(game_.Prompts.Messages.size(), 3u);
  EXPECT_NE(game_.Prompts.Messages[2].find("名前付きパイプ"), std::string::npos);
#endif
}

TEST_F(PlayerControlsTest, AFileThatIsNotMpegAudioIsReportedOnceAndLeavesTheControlsStopped) {
  SelectFile(song_, "sakura.mp3");
  form_->ActionPlayMp3->trigger();
  ASSERT_TRUE(Playing());
  const std::string noise = game_.Path("noise.bin");
  TGameFolder::WriteFile(noise, std::string(5000, 'x'));
  SelectFile(noise, "noise.mp3");
  form_->ActionPlayMp3->trigger();
  EXPECT_EQ(game_.Prompts.Messages.size(), 1u);
  EXPECT_TRUE(Stopped());
  EXPECT_EQ(form_->TrackBarPlayer->maximum(), 0);
  EXPECT_FALSE(form_->Mp3Player->Opened());
  // Nothing open: the information panel does nothing.
  Click(form_->PanelMp3FileInfo);
  EXPECT_EQ(form_->FormMp3FileInfoDlg, nullptr);
}

TEST_F(PlayerControlsTest, TheVolumePopUpShowsFullVolumeAtTheTop) {
  form_->Mp3Player->SetVolume(30);
  form_->ToolButtonVolume->click();
  ASSERT_NE(form_->FormPlayerVolumeDlg, nullptr);
  EXPECT_EQ(form_->FormPlayerVolumeDlg->TrackBarVolume->value(), 70);
  EXPECT_EQ(form_->FormPlayerVolumeDlg->width(), form_->ToolButtonVolume->width());
  form_->FormPlayerVolumeDlg->TrackBarVolume->setValue(0);
  EXPECT_EQ(form_->Mp3Player->Volume(), 100);
}

// The filled part of the volume groove is the volume: below the thumb, growing upwards.
TEST_F(PlayerControlsTest, TheVolumeGrooveFillsBelowTheThumb) {
  form_->Mp3Player->SetVolume(30);
  form_->ToolButtonVolume->click();
  const QImage bar = form_->FormPlayerVolumeDlg->TrackBarVolume->grab().toImage();
  const auto fill = [&](double height) {  // how much the groove is coloured there
    const QRgb pixel = bar.pixel(bar.width() / 2, static_cast<int>(height * bar.height()));
    return qBlue(pixel) - qRed(pixel);
  };
  EXPECT_GT(fill(0.95), fill(0.05) + 40);
  EXPECT_GT(fill(0.95), fill(0.50) + 40) << "the thumb stands at 70 % of the way down";
}

TEST_F(PlayerControlsTest, TheInformationPopUpListsTheFileAndClosesAfterThePointerLeft) {
  SelectFile(song_, "sakura.mp3");
  form_->ActionPlayMp3->trigger();
  ASSERT_TRUE(Playing());
  Click(form_->PanelMp3FileInfo);
  TFormMp3FileInfoDlg* info = form_->FormMp3FileInfoDlg;
  ASSERT_NE(info, nullptr);
  EXPECT_TRUE(info->isVisible());
  EXPECT_TRUE(info->LabelInfo->text().startsWith(
      "タイトル: さくら\nアルバム: 春の歌\nアーティスト: デモ楽団\n演奏時間: 0:00:04\n"));
  EXPECT_TRUE(
      info->LabelInfo->text().endsWith("\nサンプリングレート: 22,050 Hz\n形式: MPEG2 Layer-3"));

  QEvent leave(QEvent::Leave);
  QApplication::sendEvent(info->LabelInfo, &leave);
  EXPECT_TRUE(info->TimerClose->isActive());
  EXPECT_EQ(info->TimerClose->interval(), 1300);
  QEvent enter(QEvent::Enter);
  QApplication::sendEvent(info->LabelInfo, &enter);
  EXPECT_FALSE(info->TimerClose->isActive()) << "back on the text: it stays";
  QApplication::sendEvent(info->LabelInfo, &leave);
  EXPECT_TRUE(WaitFor([&] { return !info->isVisible(); }, 3000));
}

TEST(Mp3InfoTextTest, AFileOfOverAnHourShowsItsFullLengthAndTheTimePanelItsMinutes) {
  TMp3InfoFacts facts;
  facts.Title = "Long";
  facts.Album = "Album";
  facts.Artist = "Artist";
  facts.DurationMs = (1 * 3600 + 2 * 60 + 3) * 1000 + 999;
  facts.Bitrate = 128000;
  facts.SampleRate = 44100;
  facts.MPEGVersion = 1;
  facts.Layer = 3;
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  EXPECT_EQ(Mp3InfoText(facts),
            "タイトル: Long\nアルバム: Album\nアーティスト: Artist\n演奏時間: 1:02:03\n"
            "ビットレート: 128 kBit\nサンプリングレート: 44,100 Hz\n形式: MPEG1 Layer-3");
  EXPECT_EQ(FormatMinutesSeconds(facts.DurationMs), "02:03");
  facts.MPEGVersion = 3;
  EXPECT_TRUE(Mp3InfoText(facts).endsWith("\n形式: MPEG2.5 Layer-3"));
}

}  // namespace
