#include "mp3player/compo/output/sound_out.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <thread>

#include "platform/files.h"
#include "tests/mp3player/compo/output/fake_audio.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::vector<uint8_t> Pattern(size_t size, uint8_t seed = 0) {
  std::vector<uint8_t> bytes(size);
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<uint8_t>(seed + i * 7 + i / 251);
  return bytes;
}

uint32_t LE32(const std::string& bytes, size_t offset) {
  uint32_t value = 0;
  for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<uint8_t>(bytes[offset + i]);
  return value;
}

uint16_t LE16(const std::string& bytes, size_t offset) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[offset]) |
                               static_cast<uint8_t>(bytes[offset + 1]) << 8);
}

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A fresh folder for the WAV files of one test.
class SoundOutFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("korva-soundout-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Path(const char* name) const { return (dir_ / name).string(); }

  std::filesystem::path dir_;
};

// The output on the scripted device. Buffers the test leaves queued are given up on quickly when
// it closes.
struct Output {
  explicit Output(int rate = 22050, int channels = 1, int bits = 8) : out(&device) {
    out.SetDoneTimeout(300);
    out.SetSampleRate(rate);
    out.SetChannels(channels);
    out.SetBitsPerSample(bits);
  }
  TFakeAudioBackend device;
  TSoundOut out;
};

TEST(TSoundOut, BufferSizeHoldsHalfASecondRoundedUpToFourBytes) {
  Output mono8(22050, 1, 8);
  mono8.out.Open();
  EXPECT_EQ(mono8.out.BufferSize(), 11028);
  Output stereo16(44100, 2, 16);
  stereo16.out.Open();
  EXPECT_EQ(stereo16.out.BufferSize(), 88200);
  EXPECT_EQ(stereo16.device.openedFormat.BlockAlign(), 4);
  EXPECT_EQ(stereo16.device.openedFormat.BytesPerSecond(), 176400);
  EXPECT_EQ(stereo16.device.openedDevice, -1);
}

TEST(TSoundOut, FormatSettersIgnoreValuesOutsideTheAllowedOnes) {
  Output o(22050, 1, 8);
  o.out.SetSampleRate(0);
  o.out.SetChannels(3);
  o.out.SetBitsPerSample(24);
  EXPECT_EQ(o.out.SampleRate(), 22050);
  EXPECT_EQ(o.out.Channels(), 1);
  EXPECT_EQ(o.out.BitsPerSample(), 8);
}

TEST(TSoundOut, WriteTakesWhatFitsAndQueuesEveryFullBuffer) {
  Output o;
  o.out.Open();
  const int size = o.out.BufferSize();
  const auto pcm = Pattern(static_cast<size_t>(size) * 5);
  EXPECT_EQ(o.out.FreePercent(), 100);
  EXPECT_EQ(o.out.Write(pcm.data(), size * 5), size * 4);
  EXPECT_FALSE(o.out.CanWrite());
  EXPECT_EQ(o.out.FreePercent(), 0);
  EXPECT_EQ(o.out.Write(pcm.data(), 10), 0);
  ASSERT_EQ(o.device.written.size(), 4u);
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(o.device.written[i].index, i);
    EXPECT_EQ(o.device.written[i].bytes,
              std::vector<uint8_t>(pcm.begin() + i * size, pcm.begin() + (i + 1) * size));
  }

  // A returned buffer wakes the waiter and makes room for a quarter.
  TMPSimpleEvent space;
  o.out.WaitForSpace(&space);
  EXPECT_EQ(space.WaitFor(0), MP_WAIT_TIMEOUT);
  ASSERT_TRUE(o.device.ReturnOne());
  EXPECT_EQ(space.WaitFor(5000), MP_WAIT_OBJECT_0);
  EXPECT_EQ(o.out.FreePercent(), 25);
  EXPECT_EQ(o.out.Write(pcm.data(), 100), 100);
  EXPECT_EQ(o.out.FreePercent(), (size - 100) * 100 / (4 * size));
}

TEST(TSoundOut, WaitForSpaceSetsTheWaiterAtOnceWhenThereIsRoom) {
  Output o;
  o.out.Open();
  TMPSimpleEvent space;
  o.out.WaitForSpace(&space);
  EXPECT_EQ(space.WaitFor(0), MP_WAIT_OBJECT_0);
}

TEST(TSoundOut, VolumeAndBalanceGiveTheChannelLevels) {
  Output o;
  o.out.Open();
  auto last = [&] {
    std::lock_guard<std::mutex> lock(o.device.mutex);
    return std::make_pair(o.device.volumes.back().Left, o.device.volumes.back().Right);
  };
  EXPECT_EQ(last(), std::make_pair(uint16_t{65535}, uint16_t{65535}));
  o.out.SetBalance(-50);
  EXPECT_EQ(last(), std::make_pair(uint16_t{65535}, uint16_t{32768}));
  o.out.SetBalance(50);
  EXPECT_EQ(last(), std::make_pair(uint16_t{32768}, uint16_t{65535}));
  o.out.SetBalance(100);
  EXPECT_EQ(last(), std::make_pair(uint16_t{0}, uint16_t{65535}));
  o.out.SetVolume(0);
  EXPECT_EQ(last(), std::make_pair(uint16_t{0}, uint16_t{0}));
  o.out.SetVolume(101);
  o.out.SetBalance(-101);
  EXPECT_EQ(o.out.Volume(), 0);
  EXPECT_EQ(o.out.Balance(), 100);
}

TEST(TSoundOut, UnsupportedVolumeIsNoError) {
  Output o;
  o.device.volumeNotSupported = true;
  o.out.Open();
  o.out.SetVolume(40);
  EXPECT_TRUE(o.out.Opened());
}

TEST(TSoundOut, InitialVolumeIsTheDevicesLouderChannel) {
  TFakeAudioBackend device;
  device.probeVolume = TAudioVolume{16384, 32768};
  EXPECT_EQ(TSoundOut(&device).Volume(), 50);
  device.failOpen = true;
  device.probeVolume = TAudioVolume{0, 6554};
  EXPECT_EQ(TSoundOut(&device).Volume(), 10) << "device 0 is asked when the open fails";
  device.deviceCount = 0;
  EXPECT_EQ(TSoundOut(&device).Volume(), 100);
}

TEST(TSoundOut, GetDoneBytesAnswersTheBytesSinceThePreviousCall) {
  Output o;
  EXPECT_EQ(o.out.GetDoneBytes(), 0);
  o.out.Open();
  const int size = o.out.BufferSize();
  const auto pcm = Pattern(static_cast<size_t>(size) * 2);
  o.out.Write(pcm.data(), size * 2);
  o.device.ReturnOne();
  EXPECT_EQ(o.out.GetDoneBytes(), size);
  EXPECT_EQ(o.out.GetDoneBytes(), 0);
  o.device.ReturnOne();
  EXPECT_EQ(o.out.GetDoneBytes(), size);
  o.out.Write(pcm.data(), size);
  o.out.Reset();
  o.out.WaitAllDone();
  EXPECT_EQ(o.out.GetDoneBytes(), 0) << "the count starts again after Reset";
  o.out.Write(pcm.data(), size);
  o.device.ReturnOne();
  EXPECT_EQ(o.out.GetDoneBytes(), size);
}

TEST(TSoundOut, ResetDropsTheQueuedBuffersAndThePartialOne) {
  Output o;
  o.out.Open();
  const int size = o.out.BufferSize();
  const auto pcm = Pattern(static_cast<size_t>(size) * 3);
  o.out.Write(pcm.data(), size * 2 + 10);
  o.out.Reset();
  o.out.WaitAllDone();
  EXPECT_EQ(o.out.FreePercent(), 100);
  o.out.Close();
  EXPECT_EQ(o.device.written.size(), 2u) << "the partial buffer was dropped, not played";
}

TEST(TSoundOut, ClosePlaysThePartialBufferAndWaitsForEveryBuffer) {
  Output o;
  o.out.Open();
  const int size = o.out.BufferSize();
  const auto pcm = Pattern(static_cast<size_t>(size) + 100);
  o.out.Write(pcm.data(), size + 100);
  auto closed = std::async(std::launch::async, [&] { o.out.Close(); });
  EXPECT_EQ(closed.wait_for(100ms), std::future_status::timeout);
  while (!o.device.ReturnOne()) std::this_thread::yield();
  EXPECT_EQ(closed.wait_for(50ms), std::future_status::timeout);
  while (!o.device.ReturnOne()) std::this_thread::yield();
  closed.get();
  ASSERT_EQ(o.device.written.size(), 2u);
  EXPECT_EQ(o.device.written[1].bytes.size(), 100u);
  EXPECT_FALSE(o.out.Opened());
}

TEST(TSoundOut, NotifyTicksOnlyWhileBuffersAreQueued) {
  Output o;
  std::atomic<int> ticks{0};
  o.out.SetNotifyInterval(20);
  o.out.SetOnNotify([&](TSoundOut* sender) {
    EXPECT_EQ(sender, &o.out);
    ++ticks;
  });
  o.out.Open();
  const int size = o.out.BufferSize();
  const auto pcm = Pattern(static_cast<size_t>(size) * 2);
  o.out.Write(pcm.data(), size * 2);
  o.device.ReturnOne();  // one remains queued: the worker now wakes every 20 ms
  std::this_thread::sleep_for(250ms);
  const int whilePlaying = ticks;
  EXPECT_GE(whilePlaying, 3);
  EXPECT_LE(whilePlaying, 13);
  o.device.ReturnOne();
  o.out.WaitAllDone();
  std::this_thread::sleep_for(100ms);
  const int idle = ticks;
  EXPECT_LE(idle, whilePlaying + 1) << "no ticks while nothing is queued";
}

// A wait of exactly the interval is a whole interval: ticks come every 100 ms, not every 200.
TEST(TSoundOut, NotifyTicksComeAtTheInterval) {
  Output o;
  std::atomic<int> ticks{0};
  o.out.SetNotifyInterval(100);
  o.out.SetOnNotify([&](TSoundOut*) { ++ticks; });
  o.out.Open();
  const int size = o.out.BufferSize();
  const auto pcm = Pattern(static_cast<size_t>(size) * 2);
  o.out.Write(pcm.data(), size * 2);
  std::this_thread::sleep_for(1050ms);
  EXPECT_GE(ticks, 8);
  o.device.ReturnOne();
  o.device.ReturnOne();
  o.out.WaitAllDone();
}

TEST(TSoundOut, OpenFailureRaisesWithTheOperationAndStaysClosed) {
  Output o;
  o.device.failOpen = true;
  try {
    o.out.Open();
    FAIL() << "Open must raise";
  } catch (const ESoundOutError& e) {
    EXPECT_STREQ(e.what(), "the device is busy(TSoundOut.Open:WaveOutOpen)");
  }
  EXPECT_FALSE(o.out.Opened());
  o.device.openError.clear();
  try {
    o.out.Open();
    FAIL() << "Open must raise";
  } catch (const ESoundOutError& e) {
    EXPECT_STREQ(e.what(), "unknown wave out API error.(TSoundOut.Open:WaveOutOpen)");
  }
}

TEST(TSoundOut, MissingSystemDeviceRaisesWithoutWaiting) {
  TSoundOut out(&SystemAudioBackend());
  out.SetDeviceID(99);  // no machine has a hundredth sound card
  const auto start = Clock::now();
  EXPECT_THROW(
      {
        try {
          out.Open();
        } catch (const ESoundOutError& e) {
          const std::string text = e.what();
          EXPECT_NE(text.find("(TSoundOut.Open:WaveOutOpen)"), std::string::npos) << text;
          throw;
        }
      },
      ESoundOutError);
  EXPECT_LT(Clock::now() - start, 2s);
  EXPECT_FALSE(out.Opened());
}

TEST(TSoundOut, ADeviceThatKeepsItsBuffersEndsTheWaitInAnError) {
  Output o;
  o.out.SetDoneTimeout(150);
  o.out.Open();
  const auto pcm = Pattern(static_cast<size_t>(o.out.BufferSize()));
  o.out.Write(pcm.data(), o.out.BufferSize());
  const auto start = Clock::now();
  try {
    o.out.Close();
    FAIL() << "Close must raise";
  } catch (const ESoundOutError& e) {
    EXPECT_STREQ(e.what(), "the sound device does not return its buffers.(TSoundOut.WaitAllDone)");
  }
  EXPECT_LT(Clock::now() - start, 3s);
  EXPECT_FALSE(o.out.Opened()) << "the output is released all the same";
  o.out.Open();  // and can be used again
  EXPECT_TRUE(o.out.Opened());
}

TEST(TSoundOut, AResetThatReturnsNothingEndsInAnError) {
  Output o;
  o.out.SetDoneTimeout(150);
  o.device.resetReturnsBuffers = false;
  o.out.Open();
  const auto pcm = Pattern(static_cast<size_t>(o.out.BufferSize()));
  o.out.Write(pcm.data(), o.out.BufferSize());
  o.out.Reset();
  EXPECT_THROW(o.out.WaitAllDone(), ESoundOutError);
}

TEST(TSoundOut, ClosingWhilePausedDoesNotWaitForever) {
  Output o;
  o.out.Open();
  const auto pcm = Pattern(static_cast<size_t>(o.out.BufferSize()));
  o.out.Write(pcm.data(), o.out.BufferSize());
  o.out.Pause();
  o.out.Close();
  EXPECT_EQ(o.device.pauses, 1);
  EXPECT_EQ(o.device.resets, 1);
}

TEST_F(SoundOutFiles, WavFileWithoutPcmHasEmptyLengths) {
  TFakeAudioBackend device;
  TSoundOut out(&device);
  out.SetWaveFileName(Path("empty.wav"));
  out.Open();
  out.Close();
  const std::string bytes = ReadAll(Path("empty.wav"));
  ASSERT_EQ(bytes.size(), 44u);
  EXPECT_EQ(bytes.substr(0, 4), "RIFF");
  EXPECT_EQ(LE32(bytes, 4), 36u);
  EXPECT_EQ(bytes.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(LE32(bytes, 16), 16u);
  EXPECT_EQ(LE16(bytes, 20), 1u);
  EXPECT_EQ(LE16(bytes, 22), 2u);
  EXPECT_EQ(LE32(bytes, 24), 44100u);
  EXPECT_EQ(LE32(bytes, 28), 176400u);
  EXPECT_EQ(LE16(bytes, 32), 4u);
  EXPECT_EQ(LE16(bytes, 34), 16u);
  EXPECT_EQ(bytes.substr(36, 4), "data");
  EXPECT_EQ(LE32(bytes, 40), 0u);
  EXPECT_TRUE(device.written.empty()) << "the device is not used for a file";
}

TEST_F(SoundOutFiles, WavFileHoldsThePcmByteForByte) {
  TFakeAudioBackend device;
  TSoundOut out(&device);
  out.SetSampleRate(8000);
  out.SetChannels(1);
  out.SetBitsPerSample(16);
  out.SetWaveFileName(Path("pcm.wav"));
  out.Open();
  const int size = out.BufferSize();
  const auto pcm = Pattern(static_cast<size_t>(size) * 9 + 1234, 3);
  size_t sent = 0;
  while (sent < pcm.size()) {
    const int n = out.Write(pcm.data() + sent, static_cast<int>(pcm.size() - sent));
    sent += static_cast<size_t>(n);
    if (n == 0) {
      TMPSimpleEvent space;
      out.WaitForSpace(&space);
      ASSERT_EQ(space.WaitFor(5000), MP_WAIT_OBJECT_0);
    }
  }
  EXPECT_EQ(out.GetDoneBytes() % size, 0);
  out.Close();
  const std::string bytes = ReadAll(Path("pcm.wav"));
  ASSERT_EQ(bytes.size(), 44 + pcm.size());
  EXPECT_EQ(LE32(bytes, 4), 36 + pcm.size());
  EXPECT_EQ(LE32(bytes, 40), pcm.size());
  EXPECT_EQ(LE32(bytes, 24), 8000u);
  EXPECT_EQ(LE16(bytes, 22), 1u);
  EXPECT_EQ(bytes.substr(44), std::string(pcm.begin(), pcm.end()));
}

TEST_F(SoundOutFiles, WaveFileNameIsOnlyAcceptedWhileClosed) {
  TFakeAudioBackend device;
  TSoundOut out(&device);
  out.SetWaveFileName(Path("first.wav"));
  out.Open();
  out.SetWaveFileName(Path("second.wav"));
  EXPECT_EQ(out.WaveFileName(), Path("first.wav"));
  out.Close();
  EXPECT_TRUE(std::filesystem::exists(Path("first.wav")));
  EXPECT_FALSE(std::filesystem::exists(Path("second.wav")));
  out.SetWaveFileName("");
  out.Open();
  EXPECT_EQ(device.openedDevice, -1) << "an empty name plays on the device again";
}

TEST_F(SoundOutFiles, UncreatableWavFileRaisesAndStaysClosed) {
  TFakeAudioBackend device;
  TSoundOut out(&device);
  out.SetWaveFileName(Path("missing-folder/x.wav"));
  EXPECT_THROW(out.Open(), std::runtime_error);
  EXPECT_FALSE(out.Opened());
}

// The worker's error hook waits for the main thread, as the player's does, and the main thread
// closes meanwhile. Close must not wait for the worker, and must not raise the error a second
// time: the hook reports it.
TEST(TSoundOut, AWorkerErrorBeingReportedIsNotRaisedAgainByClose) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  // Declared before the output, so that the worker has left the hook before they go.
  TMPSimpleEvent entered;
  TMPSimpleEvent taken;
  std::atomic<int> reported{0};
  TFakeAudioBackend device;
  TSoundOut out(&device);
  out.SetOnThreadError([&](TSoundOut*, const std::exception&, bool& handled) {
    ++reported;
    entered.SetEvent();
    taken.WaitFor(10000);
    handled = true;
  });
  out.SetWaveFileName("/dev/full");
  out.Open();
  const auto pcm = Pattern(static_cast<size_t>(out.BufferSize()) * 2);
  out.Write(pcm.data(), static_cast<int>(pcm.size()));
  ASSERT_EQ(entered.WaitFor(5000), MP_WAIT_OBJECT_0);
  const auto start = Clock::now();
  try {
    out.Close();
  } catch (const ESoundOutError& error) {
    ADD_FAILURE() << "raised again: " << error.what();
  } catch (const TFileError&) {
    // Finishing the header fails on its own account on /dev/full.
  }
  EXPECT_EQ(reported, 1);
  EXPECT_LT(Clock::now() - start, 5s);
  EXPECT_FALSE(out.Opened());
  taken.SetEvent();
}

// A worker error raised just as WaitAllDone ends is reported at once, by WaitAllDone or by the
// error hook, and never left for a later call. The race is provoked many times over.
TEST(TSoundOut, AWorkerErrorAsTheWaitEndsIsReportedOnceAndAtOnce) {
  Output o;
  std::atomic<int> thrown{0};
  std::atomic<int> reported{0};
  o.out.SetOnNotify([&](TSoundOut*) {
    ++thrown;
    throw std::runtime_error("tick failed");
  });
  o.out.SetOnThreadError([&](TSoundOut*, const std::exception&, bool& handled) {
    ++reported;
    handled = true;
  });
  const auto pcm = Pattern(static_cast<size_t>(22050));
  for (int cycle = 1; cycle <= 300; ++cycle) {
    o.out.SetNotifyInterval(-1);
    o.out.Open();
    o.out.Write(pcm.data(), o.out.BufferSize());
    // The one tick of the cycle is due when the buffer comes back.
    std::this_thread::sleep_for(1ms);
    o.out.SetNotifyInterval(0);
    o.device.ReturnOne();
    try {
      o.out.WaitAllDone();
    } catch (const ESoundOutError&) {
      ++reported;
    }
    const auto deadline = Clock::now() + 2s;
    while ((thrown < cycle || reported < thrown) && Clock::now() < deadline) {
      std::this_thread::yield();
    }
    ASSERT_EQ(thrown, cycle);
    ASSERT_EQ(reported, cycle) << "the error of cycle " << cycle << " was not reported";
    EXPECT_NO_THROW(o.out.Close());
  }
}

// The silent device plays in real time: closing with three quarters of a second of sound queued
// takes about that long.
TEST(TSoundOut, NullDeviceClosesWhenTheQueuedSoundHasPlayed) {
  TSoundOut out(&NullAudioBackend());
  out.SetSampleRate(8000);
  out.SetChannels(1);
  out.SetBitsPerSample(8);
  out.Open();
  const auto pcm = Pattern(6000);
  const auto start = Clock::now();
  ASSERT_EQ(out.Write(pcm.data(), 6000), 6000);
  std::this_thread::sleep_for(200ms);
  const int64_t early = out.GetDoneBytes();
  EXPECT_GE(early, 400);  // 1600 on an idle machine
  EXPECT_LE(early, 5000);
  out.Close();
  const auto elapsed = Clock::now() - start;
  EXPECT_GE(elapsed, 700ms);
  EXPECT_LT(elapsed, 3s);
}

}  // namespace
