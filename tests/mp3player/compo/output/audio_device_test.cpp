#include "platform/audio_device.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "mp3player/compo/threads/sync.h"
#include "platform/audio_queue_device.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

int16_t Sample16(const std::vector<uint8_t>& bytes, size_t index) {
  return static_cast<int16_t>(bytes[2 * index] | bytes[2 * index + 1] << 8);
}

std::vector<uint8_t> Pcm16(std::initializer_list<int16_t> samples) {
  std::vector<uint8_t> bytes;
  for (int16_t s : samples) {
    bytes.push_back(static_cast<uint8_t>(s & 0xFF));
    bytes.push_back(static_cast<uint8_t>((s >> 8) & 0xFF));
  }
  return bytes;
}

TEST(ScalePcm, ScalesEachChannelByItsLevel) {
  const auto source = Pcm16({1000, 1000, -1000, -32768});
  std::vector<uint8_t> dest(source.size());
  ScalePcm(TAudioFormat{44100, 2, 16}, TAudioVolume{65535, 32768}, source.data(), dest.data(),
           source.size());
  EXPECT_EQ(Sample16(dest, 0), 1000);
  EXPECT_EQ(Sample16(dest, 1), 500);
  EXPECT_EQ(Sample16(dest, 2), -1000);
  EXPECT_EQ(Sample16(dest, 3), -16384);
}

TEST(ScalePcm, EightBitSilenceIsTheMidpointAndMonoUsesTheLeftLevel) {
  const std::vector<uint8_t> source = {0, 255, 128};
  std::vector<uint8_t> dest(3);
  ScalePcm(TAudioFormat{8000, 1, 8}, TAudioVolume{32768, 0}, source.data(), dest.data(), 3);
  EXPECT_EQ(dest, (std::vector<uint8_t>{64, 191, 128}));
  ScalePcm(TAudioFormat{8000, 1, 8}, TAudioVolume{0, 65535}, source.data(), dest.data(), 3);
  EXPECT_EQ(dest, (std::vector<uint8_t>{128, 128, 128}));
}

// Collects the done reports of a device.
struct DoneLog {
  TAudioDoneCallback Callback() {
    return [this](int index) {
      std::lock_guard<std::mutex> lock(mutex);
      indices.push_back(index);
      times.push_back(Clock::now());
      if (indices.size() >= expected) all.SetEvent();
    };
  }
  std::vector<int> Indices() {
    std::lock_guard<std::mutex> lock(mutex);
    return indices;
  }
  std::mutex mutex;
  std::vector<int> indices;
  std::vector<Clock::time_point> times;
  size_t expected = 1;
  TMPSimpleEvent all;
};

const TAudioFormat kMono8k{8000, 1, 8};  // 8000 bytes a second

TEST(NullAudioDevice, PlaysBuffersInOrderInRealTime) {
  DoneLog log;
  log.expected = 2;
  std::vector<uint8_t> a(800), b(800);  // a tenth of a second each
  auto device = NullAudioBackend().Open(-1, kMono8k, log.Callback());
  device->Prepare(0, a.data(), a.size());
  device->Prepare(1, b.data(), b.size());
  const auto start = Clock::now();
  device->Write(0, a.size());
  device->Write(1, b.size());
  ASSERT_EQ(log.all.WaitFor(5000), MP_WAIT_OBJECT_0);
  EXPECT_EQ(log.Indices(), (std::vector<int>{0, 1}));
  EXPECT_GE(log.times[0] - start, 90ms);
  EXPECT_GE(log.times[1] - start, 190ms);
  EXPECT_LT(log.times[1] - start, 1s);
  EXPECT_EQ(device->Position(), 1600u);
}

TEST(NullAudioDevice, PauseHoldsThePositionAndResetReturnsEverything) {
  DoneLog log;
  log.expected = 2;
  std::vector<uint8_t> a(8000), b(8000);
  auto device = NullAudioBackend().Open(0, kMono8k, log.Callback());
  device->Prepare(0, a.data(), a.size());
  device->Prepare(1, b.data(), b.size());
  device->Write(0, a.size());
  device->Write(1, b.size());
  std::this_thread::sleep_for(100ms);
  device->Pause();
  const uint64_t paused = device->Position();
  EXPECT_GT(paused, 0u);  // 800 on an idle machine
  EXPECT_LT(paused, 16000u);
  std::this_thread::sleep_for(100ms);
  EXPECT_EQ(device->Position(), paused);
  EXPECT_TRUE(log.Indices().empty());
  device->Reset();
  EXPECT_EQ(log.Indices(), (std::vector<int>{0, 1}));
  EXPECT_EQ(device->Position(), 0u);
}

TEST(NullAudioDevice, ABrokenFrameAtTheEndDoesNotKeepTheBuffer) {
  DoneLog log;
  std::vector<uint8_t> odd(4 * 80 + 3);
  auto device = NullAudioBackend().Open(-1, TAudioFormat{8000, 2, 16}, log.Callback());
  device->Prepare(0, odd.data(), odd.size());
  device->Write(0, odd.size());
  EXPECT_EQ(log.all.WaitFor(5000), MP_WAIT_OBJECT_0);
}

TEST(NullAudioDevice, NothingIsReportedAfterTheDeviceIsGone) {
  DoneLog log;
  std::vector<uint8_t> a(8000);
  {
    auto device = NullAudioBackend().Open(-1, kMono8k, log.Callback());
    device->Prepare(0, a.data(), a.size());
    device->Write(0, a.size());
  }
  std::this_thread::sleep_for(50ms);
  EXPECT_TRUE(log.Indices().empty());
}

TEST(NullAudioDevice, RejectsUnknownDevicesAndFormats) {
  EXPECT_THROW(NullAudioBackend().Open(1, kMono8k, nullptr), EAudioError);
  EXPECT_THROW(NullAudioBackend().Open(-1, TAudioFormat{8000, 3, 8}, nullptr), EAudioError);
  EXPECT_THROW(NullAudioBackend().Open(-1, TAudioFormat{8000, 1, 24}, nullptr), EAudioError);
  EXPECT_THROW(NullAudioBackend().Open(-1, TAudioFormat{0, 1, 8}, nullptr), EAudioError);
}

TEST(NullAudioDevice, VolumeIsKeptPerChannel) {
  auto device = NullAudioBackend().Open(-1, kMono8k, nullptr);
  EXPECT_EQ(device->Volume().Left, 65535);
  device->SetVolume(TAudioVolume{100, 200});
  EXPECT_EQ(device->Volume().Left, 100);
  EXPECT_EQ(device->Volume().Right, 200);
}

#ifdef __linux__
// ALSA's "null" device takes everything at once and plays nothing, but it runs the whole ALSA
// path: open, writes, the played position, pause and drop.
TEST(AlsaAudioDevice, RunsOnTheNullPcm) {
  ::setenv("KORVA_ALSA_DEVICE", "null", 1);
  std::unique_ptr<IAudioDevice> device;
  DoneLog log;
  log.expected = 3;
  try {
    device = SystemAudioBackend().Open(-1, TAudioFormat{44100, 2, 16}, log.Callback());
  } catch (const EAudioError& e) {
    ::unsetenv("KORVA_ALSA_DEVICE");
    GTEST_SKIP() << "no ALSA null device: " << e.what();
  }
  ::unsetenv("KORVA_ALSA_DEVICE");
  std::vector<uint8_t> a(17640), b(17640), c(6);
  device->Prepare(0, a.data(), a.size());
  device->Prepare(1, b.data(), b.size());
  device->Prepare(2, c.data(), c.size());
  device->SetVolume(TAudioVolume{1000, 2000});
  device->Write(0, a.size());
  device->Write(1, b.size());
  device->Write(2, c.size());
  ASSERT_EQ(log.all.WaitFor(5000), MP_WAIT_OBJECT_0);
  EXPECT_EQ(log.Indices(), (std::vector<int>{0, 1, 2}));
  EXPECT_EQ(device->Position(), 17640u * 2 + 4) << "the broken frame is left out";
  device->Pause();
  device->Write(0, a.size());
  device->Reset();
  EXPECT_EQ(log.Indices().size(), 4u);
  EXPECT_EQ(device->Position(), 0u);
}
#endif

#ifdef _WIN32
// The WinMM device on the system's first wave-out device; CI gives Wine one through ALSA's null
// PCM. Opening, writing, the played position, volume, pause, reset and closing run for real.
TEST(WinMMAudioDevice, PlaysPausesAndResetsOnTheWaveOutDevice) {
  if (SystemAudioBackend().DeviceCount() == 0) GTEST_SKIP() << "no wave-out device";
  DoneLog log;
  log.expected = 2;
  auto device = SystemAudioBackend().Open(-1, TAudioFormat{44100, 2, 16}, log.Callback());
  std::vector<uint8_t> a(17640), b(17640);  // a tenth of a second each
  device->Prepare(0, a.data(), a.size());
  device->Prepare(1, b.data(), b.size());
  try {
    device->SetVolume(TAudioVolume{1000, 2000});
    EXPECT_EQ(device->Volume().Left, 1000);
    EXPECT_EQ(device->Volume().Right, 2000);
  } catch (const EAudioError& e) {
    EXPECT_TRUE(e.NotSupported()) << e.what();
  }
  device->Write(0, a.size());
  device->Write(1, b.size());
  ASSERT_EQ(log.all.WaitFor(5000), MP_WAIT_OBJECT_0);
  EXPECT_EQ(log.Indices(), (std::vector<int>{0, 1}));
  EXPECT_EQ(device->Position(), 17640u * 2);

  device->Write(0, a.size());
  device->Pause();
  // Wine may have handed the buffer to ALSA already, which counts it as played; from then on
  // the position holds.
  std::this_thread::sleep_for(100ms);
  const uint64_t paused = device->Position();
  std::this_thread::sleep_for(150ms);
  EXPECT_EQ(device->Position(), paused);
  EXPECT_EQ(log.Indices().size(), 2u) << "a paused device keeps its buffer";
  device->Reset();
  EXPECT_EQ(log.Indices(), (std::vector<int>{0, 1, 0}));
  EXPECT_EQ(device->Position(), 0u);
  device.reset();  // closes with nothing queued
  EXPECT_EQ(log.Indices().size(), 3u);
}
#endif

}  // namespace
