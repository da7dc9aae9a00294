// The player on the silent real-time device and on WAV output: opening, the stream facts,
// the properties' ranges, playing to the end and stopping, seeking, and worker failures.
#include "mp3player/compo/player/mp3_player.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "mp3player/compo/format_error.h"
#include "mp3player/compo/io/memory_stream.h"
#include "mp3player/compo/io/stream_reader.h"
#include "mp3player/compo/player/frame_loop.h"
#include "mp3player/compo/player/notifier.h"
#include "tests/mp3player/compo/output/fake_audio.h"
#include "tests/mp3player/compo/player/frame_starts.h"
#include "tests/mp3player/compo/player/player_fixture.h"

namespace {

namespace fs = std::filesystem;

// Bytes in memory that record where they are sought and can be made to fail on reading.
class TTestStream : public TMPStream {
 public:
  explicit TTestStream(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

  int32_t Read(uint8_t* buffer, int32_t count) override {
    if (fail) throw std::runtime_error("the disk went away");
    const int32_t n = std::min(count, Size() - position_);
    std::memcpy(buffer, bytes_.data() + position_, static_cast<size_t>(n));
    position_ += n;
    return n;
  }
  int32_t Seek(int32_t offset, int origin) override {
    const int32_t base = origin == 0 ? 0 : origin == 1 ? position_ : Size();
    position_ = std::clamp(base + offset, 0, Size());
    seeks.push_back(position_);
    return position_;
  }
  int32_t Size() override { return static_cast<int32_t>(bytes_.size()); }

  std::atomic<bool> fail{false};
  std::vector<int32_t> seeks;

 private:
  std::vector<uint8_t> bytes_;
  int32_t position_ = 0;
};

// A stream several times as long as a committed one: its frames over and over.
std::vector<uint8_t> Repeated(const std::string& path, int times) {
  const std::vector<uint8_t> once = ReadBytes(path);
  std::vector<uint8_t> bytes;
  for (int i = 0; i < times; ++i) bytes.insert(bytes.end(), once.begin(), once.end());
  return bytes;
}

// The PCM the frame loop gives for a file, as the decoding tool writes it.
std::vector<uint8_t> DecodedPcm(const std::string& path) {
  const std::vector<uint8_t> bytes = ReadBytes(path);
  TMPMemoryStream stream(bytes.data(), static_cast<int32_t>(bytes.size()));
  TMPStreamReader reader(65536);
  reader.Attach(&stream, true);
  TMPFrameLoop loop;
  std::vector<uint8_t> pcm;
  if (!loop.Open(reader, static_cast<int32_t>(bytes.size()))) return pcm;
  uint8_t frame[kMPMaxPcmBytes];
  for (int32_t n; (n = loop.Step(frame)) != TMPFrameLoop::kEnd;)
    pcm.insert(pcm.end(), frame, frame + n);
  return pcm;
}

// A file name of the running test's own, so that tests running side by side do not meet.
fs::path TempPath(const std::string& name) {
  const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
  return fs::temp_directory_path() / ("korva-player-" + std::string(test->name()) + "-" + name);
}

class Player : public PlayerFixture {
 protected:
  // Plays what is open into a WAV file to its end and answers how long that lasts.
  int64_t PlayedMs() {
    const fs::path wav = TempPath("out.wav");
    player.SetOutputFileName(wav.string());
    reasons.clear();
    player.Play();
    if (!PumpUntil([&] { return !reasons.empty(); })) return -1;
    const auto bytes = static_cast<int64_t>(fs::file_size(wav)) - 44;
    fs::remove(wav);
    return bytes * 1000 / (int64_t{player.SampleRate()} * player.Channels() * 2);
  }
};

TEST_F(Player, OpenRefusesWhatIsNotMpegAudio) {
  const fs::path text = TempPath("text.mp3");
  std::ofstream(text) << std::string(5000, 'x');
  try {
    player.SetFileName(text.string());
    FAIL() << "no error";
  } catch (const TMPFormatError& e) {
    EXPECT_STREQ(e.what(), "unknown MPEG Audio format.");
  }
  fs::remove(text);
  EXPECT_FALSE(player.Opened());
  EXPECT_EQ(player.FileName(), "");
  EXPECT_EQ(player.Commands(), TMP3PlayerCommands{mpcOpen});

  // A file that cannot be opened leaves the open one alone.
  player.SetFileName(CompoData("plain.mp3"));
  EXPECT_THROW(player.SetFileName("/no/such/folder/x.mp3"), std::system_error);
  EXPECT_TRUE(player.Opened());
  EXPECT_EQ(player.Commands(), (TMP3PlayerCommands{mpcOpen, mpcClose, mpcPlay, mpcIdle}));
}

TEST_F(Player, StreamFactsXingHeaderAndTitle) {
  player.SetFileName(CompoData("plain.mp3"));
  EXPECT_EQ(player.SampleRate(), 44100);
  EXPECT_EQ(player.Channels(), 1);
  EXPECT_EQ(player.Layer(), 3);
  EXPECT_EQ(player.MPEGVersion(), 1);
  EXPECT_EQ(player.Bitrate(), 64000);
  EXPECT_EQ(player.Title(), "plain.mp3");  // No title tag: the file name.
  player.SetFileName(CompoData("layer2.mp3"));
  EXPECT_EQ(player.Layer(), 2);
  player.SetFileName(CompoData("mpeg25.mp3"));
  EXPECT_EQ(player.MPEGVersion(), 3);

  // 40 frames of audio by the Xing header (LAME counts the header frame out), of 1152 stereo
  // samples at 44.1 kHz.
  player.SetFileName(PlayerData("vbr.mp3"));
  EXPECT_EQ(player.Bitrate(), 0);
  EXPECT_EQ(player.Duration(), 40 * 1152 * 1000 / 44100);
  // LAME's "Info" header marks a constant bit rate, which stays told.
  player.SetFileName(PlayerData("cbr_info.mp3"));
  EXPECT_EQ(player.Bitrate(), 64000);
  player.Close();
}

// What the player says a file lasts is what it plays, to the millisecond: from the frame count
// of a Xing, "Info" or VBRI header (which count the header frame out, and which is not played),
// or from the frames it counts itself.
TEST_F(Player, DurationIsWhatPlays) {
  for (const std::string& file :
       {CompoData("plain.mp3"), PlayerData("cbr_info.mp3"), CompoData("lame_tags.mp3"),
        PlayerData("vbr.mp3"), PlayerData("vbri.mp3"), PlayerData("vbr_plain.mp3"),
        PlayerData("tone3s.mp3"), CompoData("mpeg2.mp3"), CompoData("mpeg25.mp3"),
        PlayerData("vbr_mpeg25.mp3"), CompoData("layer2.mp3"), CompoData("twolame_mono.mp2")}) {
    player.SetFileName(file);
    EXPECT_EQ(player.Duration(), PlayedMs()) << file;
  }
  EXPECT_TRUE(messages.empty());
}

// The Xing header's byte count ends the data: a stream appended behind it is not played.
TEST_F(Player, AStreamAppendedBehindTheXingBytesIsNotPlayed) {
  std::vector<uint8_t> bytes = ReadBytes(PlayerData("vbr.mp3"));
  const std::vector<uint8_t> appended = ReadBytes(PlayerData("vbr_plain.mp3"));
  bytes.insert(bytes.end(), appended.begin(), appended.end());
  TTestStream stream(bytes);
  player.OpenStream(&stream, TMP3Player::kSeekable);
  EXPECT_EQ(player.Duration(), 40 * 1152 * 1000 / 44100);
  EXPECT_EQ(PlayedMs(), player.Duration());
}

// Junk that looks like a 24 kHz mono header is no first frame: the next header does not follow
// it where its length says.
TEST_F(Player, AFalseFrameHeaderAtTheStartIsSearchedPast) {
  std::vector<uint8_t> bytes = {0xFF, 0xF3, 0x14, 0xC0};
  bytes.resize(100, 0);
  const std::vector<uint8_t> real = ReadBytes(PlayerData("vbr.mp3"));
  bytes.insert(bytes.end(), real.begin(), real.end());
  TTestStream stream(bytes);
  player.OpenStream(&stream, TMP3Player::kSeekable);
  EXPECT_EQ(player.SampleRate(), 44100);
  EXPECT_EQ(player.Channels(), 2);
  EXPECT_EQ(player.Duration(), 40 * 1152 * 1000 / 44100);
}

TEST(VbrHeader, IsNeverReadPastTheFrame) {
  const std::vector<uint8_t> bytes = ReadBytes(PlayerData("vbr.mp3"));
  TMPAudioHeader header;
  const int32_t size = MPParseHeader(bytes.data(), 0, header) + MPPaddingBytes(header);
  const TMPVbrHeader whole = MPReadVbrHeader(bytes.data(), size, header);
  EXPECT_TRUE(whole.found);
  EXPECT_EQ(whole.frames, 40u);
  EXPECT_EQ(whole.bytes, 6479);
  // A frame that ends inside the header: what lies beyond is not read.
  const TMPVbrHeader cut = MPReadVbrHeader(bytes.data(), 36 + 10, header);
  EXPECT_TRUE(cut.found);
  EXPECT_EQ(cut.frames, 0u);
  EXPECT_FALSE(MPReadVbrHeader(bytes.data(), 36 + 6, header).found);

  // A VBRI header in the same place: audio bytes at +10, frames at +14.
  std::vector<uint8_t> vbri(bytes.begin(), bytes.begin() + size);
  const uint8_t fields[] = {'V', 'B', 'R', 'I', 0, 1, 0, 0, 0, 0, 0, 0, 0x30, 0x39, 0, 0, 0, 7};
  std::copy(std::begin(fields), std::end(fields), vbri.begin() + 36);
  const TMPVbrHeader other = MPReadVbrHeader(vbri.data(), size, header);
  EXPECT_TRUE(other.found);
  EXPECT_EQ(other.bytes, 0x3039);
  EXPECT_EQ(other.frames, 7u);
  EXPECT_FALSE(MPReadVbrHeader(vbri.data(), 36 + 17, header).found);
}

// The playing time from the stream facts alone, as the file list has them: exact from a frame
// count, else the audio bytes at the first frame's bit rate.
TEST(VbrHeader, StreamDurationFromTheFrameCountOrTheBytes) {
  const std::vector<uint8_t> bytes = ReadBytes(PlayerData("vbr.mp3"));
  TMPAudioHeader header;
  const int32_t size = MPParseHeader(bytes.data(), 0, header) + MPPaddingBytes(header);
  const TMPVbrHeader vbr = MPReadVbrHeader(bytes.data(), size, header);
  EXPECT_EQ(MPStreamDurationMs(header, vbr, 0), 40 * 1152 * 1000 / 44100);
  EXPECT_EQ(MPStreamDurationMs(header, TMPVbrHeader(), 16000), 1000);  // 128 kbit/s
  EXPECT_EQ(MPStreamDurationMs(header, TMPVbrHeader(), 0), 0);

  // MPEG-2 Layer III frames hold 576 samples.
  const std::vector<uint8_t> mpeg2 = ReadBytes(PlayerData("tone3s.mp3"));
  MPParseHeader(mpeg2.data(), 0, header);
  TMPVbrHeader counted;
  counted.frames = 100;
  EXPECT_EQ(MPStreamDurationMs(header, counted, 0), 100 * 576 * 1000 / 22050);
}

TEST_F(Player, PropertiesIgnoreValuesOutOfRange) {
  player.SetChangePosStep(99);
  EXPECT_EQ(player.ChangePosStep(), 400);
  player.SetChangePosStep(100);
  EXPECT_EQ(player.ChangePosStep(), 100);
  player.SetVolume(101);
  player.SetVolBalance(-101);
  player.SetEqualizerCount(0);
  player.SetEqualizerCount(33);
  EXPECT_EQ(player.Volume(), 100);
  EXPECT_EQ(player.VolBalance(), 0);
  EXPECT_EQ(player.EqualizerCount(), 6);
  player.SetEqualizerCount(32);
  EXPECT_EQ(player.EqualizerCount(), 32);

  // A stored 0 means the device's volume (the silent device's is full); at run time it mutes.
  player.BeginLoading();
  player.SetVolume(0);
  player.EndLoading();
  EXPECT_EQ(player.Volume(), 100);
  player.SetVolume(0);
  EXPECT_EQ(player.Volume(), 0);
}

// The WAV output takes the PCM as fast as it comes, so the natural end comes at once.
TEST_F(Player, PlaysToTheEndIntoAWavFileThenStopsByTheUser) {
  const fs::path wav = TempPath("out.wav");
  player.SetFileName(CompoData("plain.mp3"));
  player.SetOutputFileName(wav.string());
  player.Play();
  player.Play();  // Already playing: nothing happens.
  EXPECT_EQ(player.Status(), mpsPlaying);
  ASSERT_TRUE(PumpUntil([&] { return !reasons.empty(); }));
  EXPECT_EQ(reasons, std::vector<TMP3EndPlayReason>{merSuccessful});
  const auto end = std::find(log.begin(), log.end(), "end");
  EXPECT_EQ(*(end - 1), "status");
  EXPECT_EQ(player.Status(), mpsStopped);
  EXPECT_EQ(player.Position(), 0);
  EXPECT_EQ(player.OutputFileName(), "");

  const std::vector<uint8_t> written = ReadBytes(wav.string());
  fs::remove(wav);
  ASSERT_GT(written.size(), 44u);
  EXPECT_EQ(std::vector<uint8_t>(written.begin() + 44, written.end()),
            DecodedPcm(CompoData("plain.mp3")));

  // Stopping what is stopped raises nothing.
  dispatcher.RunPending();
  log.clear();
  player.Stop();
  dispatcher.RunPending();
  EXPECT_TRUE(log.empty());

  player.Play();
  ASSERT_TRUE(PumpUntil([&] { return player.Position() > 0; }));
  player.Stop();
  ASSERT_TRUE(PumpUntil([&] { return reasons.size() == 2; }));
  EXPECT_EQ(reasons.back(), merStoped);
  EXPECT_TRUE(messages.empty());
}

TEST_F(Player, SeeksLandOnFramesAndKnownFramesNeedNoScan) {
  const std::vector<uint8_t> bytes = ReadBytes(PlayerData("tone3s.mp3"));
  const std::vector<size_t> starts = FrameStarts(bytes);
  ASSERT_GT(starts.size(), 100u);
  TTestStream stream(bytes);
  player.OpenStream(&stream, TMP3Player::kSeekable);
  player.Play();
  const auto frameMs = [](int64_t frame) { return frame * 576 * 1000 / 22050; };

  player.Seek(int64_t{1} << 50);  // Far beyond the end: the last whole frame.
  EXPECT_GE(player.Position(), frameMs(starts.size() - 1));
  EXPECT_LE(player.Position(), frameMs(starts.size() - 1) + 60);

  stream.seeks.clear();
  player.Seek(1000);  // Frame 39, found in the table with one seek of the stream.
  EXPECT_EQ(stream.seeks, std::vector<int32_t>{static_cast<int32_t>(starts[39])});
  EXPECT_GE(player.Position(), frameMs(39));
  EXPECT_LE(player.Position(), frameMs(39) + 60);

  player.SetNoisySeek(false);
  player.Seek(0);
  EXPECT_LE(player.Position(), 60);
  player.Seek(-1);  // Ignored.
  player.Stop();
  player.Close();
  EXPECT_TRUE(messages.empty());
}

// Seeking crosses the 4096 bytes of garbage that playback crosses.
TEST_F(Player, SeeksCrossAGapThatPlaybackCrosses) {
  std::vector<uint8_t> bytes = ReadBytes(PlayerData("tone3s.mp3"));
  const std::vector<size_t> starts = FrameStarts(bytes);
  bytes.insert(bytes.begin() + static_cast<std::ptrdiff_t>(starts[5]), 4096, 0x22);
  TTestStream stream(bytes);
  player.OpenStream(&stream, TMP3Player::kSeekable);
  EXPECT_EQ(player.Duration(), static_cast<int64_t>(starts.size()) * 576 * 1000 / 22050);
  player.Play();
  player.Seek(2000);
  EXPECT_GE(player.Position(), 2000);
  EXPECT_LE(player.Position(), 2000 + 27);
  player.Stop();
}

// The new file's stream is freed when the old file cannot be stopped on the way to it.
TEST(PlayerSwitch, AFailedStopOfTheOldFileFreesTheNewStream) {
  struct TFreedStream : TTestStream {
    TFreedStream(std::vector<uint8_t> bytes, bool& freed)
        : TTestStream(std::move(bytes)), freed_(freed) {}
    ~TFreedStream() override { freed_ = true; }
    bool& freed_;
  };
  TFakeAudioBackend backend;
  TQueueDispatcher dispatcher;
  TMP3Player player(dispatcher, &backend);
  player.SetAutoPlay(false);
  player.SetFileName(CompoData("plain.mp3"));
  player.Play();
  backend.failReset = true;
  bool freed = false;
  auto* stream = new TFreedStream(ReadBytes(CompoData("layer2.mp3")), freed);
  EXPECT_ANY_THROW(player.OpenStream(stream, TMP3Player::kSeekable | TMP3Player::kOwnsStream));
  EXPECT_TRUE(freed);
  EXPECT_FALSE(player.Opened());
}

TEST_F(Player, AReadErrorWhilePlayingGivesOneMessageAndAFailure) {
  TTestStream stream(Repeated(CompoData("layer2.mp3"), 10));
  player.OpenStream(&stream, TMP3Player::kSeekable);
  player.Play();
  stream.fail = true;
  ASSERT_TRUE(PumpUntil([&] { return !reasons.empty(); }));
  dispatcher.RunPending();
  EXPECT_EQ(reasons, std::vector<TMP3EndPlayReason>{merFailure});
  EXPECT_EQ(messages, std::vector<std::string>{"the disk went away"});
  EXPECT_EQ(player.Status(), mpsStopped);
  stream.fail = false;
  player.Close();
}

TEST(PlayerLifetime, EndsWhileAWorkerErrorWaitsForTheUserInterface) {
  TQueueDispatcher dispatcher;
  TTestStream stream(Repeated(CompoData("layer2.mp3"), 10));
  {
    TMP3Player player(dispatcher, &NullAudioBackend());
    player.SetAutoPlay(false);
    player.OpenStream(&stream, TMP3Player::kSeekable);
    player.Play();
    stream.fail = true;
    ASSERT_TRUE(dispatcher.WaitForWork(std::chrono::seconds(5)));
  }
  dispatcher.RunPending();  // The notices of the player that is gone do nothing.
}

#ifndef _WIN32
TEST_F(Player, AFileCutShortWhilePlayingEndsWithAnError) {
  const fs::path path = TempPath("cut.mp2");
  const std::vector<uint8_t> bytes = Repeated(CompoData("layer2.mp3"), 10);
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
  player.SetFileName(path.string());
  fs::resize_file(path, 60000);
  player.Play();
  ASSERT_TRUE(PumpUntil([&] { return !reasons.empty(); }));
  EXPECT_EQ(reasons, std::vector<TMP3EndPlayReason>{merFailure});
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_NE(messages[0].find("shorter"), std::string::npos);
  player.Close();
  fs::remove(path);
}

// ALSA's built-in null device takes the sound on a machine without a sound card.
class AlsaPlayer : public PlayerFixture {
 protected:
  AlsaPlayer() : PlayerFixture((::setenv("KORVA_ALSA_DEVICE", "null", 1), &SystemAudioBackend())) {}
};

TEST_F(AlsaPlayer, PlaysOnAlsaNullDevice) {
  player.SetFileName(CompoData("plain.mp3"));
  player.Play();
  ASSERT_TRUE(PumpUntil([&] { return !reasons.empty(); }));
  EXPECT_EQ(reasons, std::vector<TMP3EndPlayReason>{merSuccessful});
  EXPECT_TRUE(messages.empty());
}
#endif

TEST(Notifier, CollapsesWaitingNoticesAndDropsThemWhenDisconnected) {
  TQueueDispatcher dispatcher;
  std::vector<uint32_t> handled;
  std::shared_ptr<TMPNotifier> notifier;
  notifier =
      std::make_shared<TMPNotifier>(dispatcher, [&](uint32_t code, uint32_t, const std::string&) {
        notifier->RemoveWaiting(code);
        handled.push_back(code);
      });
  std::thread worker([&] {
    for (int i = 0; i < 100; ++i) notifier->Post(1);
  });
  worker.join();
  notifier->PostOnce(2);
  notifier->PostOnce(2);
  dispatcher.RunPending();
  EXPECT_EQ(handled, (std::vector<uint32_t>{1, 2}));

  notifier->Post(3);
  notifier->Disconnect();
  dispatcher.RunPending();
  EXPECT_EQ(handled.size(), 2u);
}

}  // namespace
