// The player component: a non-visual object that plays one MPEG audio file at a time on a
// decoding thread of its own. The owner drives it from the user-interface thread through its
// properties and operations; every event is raised on the user-interface thread, through the
// dispatcher it was given, never inside the operation that caused it.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "mp3player/compo/info/mp3_info.h"
#include "mp3player/compo/io/stream_reader.h"
#include "mp3player/compo/output/sound_out.h"
#include "mp3player/compo/player/frame_loop.h"
#include "mp3player/compo/threads/loop_thread.h"
#include "mp3player/compo/threads/sync.h"

class IDispatcher;
class IAudioBackend;
class TMPStream;
class TMPNotifier;

enum TMP3EndPlayReason { merSuccessful, merStoped, merFailure };
enum TMP3EqualizerMode { memSubBand, memFreq };
enum TMP3PlayerStatus { mpsStopped, mpsPlaying, mpsPaused };
enum TMP3PlayerCommand {
  mpcOpen,
  mpcClose,
  mpcPlay,
  mpcStop,
  mpcPause,
  mpcResume,
  mpcSeek,
  mpcIdle
};
enum TMP3CpuCapability { mccMMX, mcc3DNow, mccKNI, mccE3DNow, mccCMOV, mccEMMX };
enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };

// A small set of enumeration members, one bit each in declaration order.
template <typename TMember>
class TMPSet {
 public:
  constexpr TMPSet() = default;
  constexpr TMPSet(std::initializer_list<TMember> members) {
    for (auto member : members) Include(member);
  }
  static constexpr TMPSet FromBits(uint32_t bits) {
    TMPSet set;
    set.bits_ = bits;
    return set;
  }
  constexpr bool Contains(TMember member) const { return (bits_ >> member) & 1; }
  constexpr void Include(TMember member) { bits_ |= 1u << member; }
  constexpr void Exclude(TMember member) { bits_ &= ~(1u << member); }
  constexpr uint32_t Bits() const { return bits_; }
  constexpr bool operator==(const TMPSet&) const = default;

 private:
  uint32_t bits_ = 0;
};

using TMP3PlayerCommands = TMPSet<TMP3PlayerCommand>;
using TMP3CpuCapabilities = TMPSet<TMP3CpuCapability>;

class TMP3Player : private TMPMessageTarget {
 public:
  using TNotifyEvent = std::function<void(TMP3Player* sender)>;
  using TMP3EndPlayEvent = std::function<void(TMP3Player* sender, TMP3EndPlayReason reason)>;

  // OpenStream flags.
  static constexpr uint32_t kSeekable = 1;
  static constexpr uint32_t kOwnsStream = 2;
  static constexpr int kBandCount = 32;

  // dispatcher: carries every event to the user-interface thread; it must outlive the player.
  // backend: the sound device; none means the one KORVA_AUDIO / KORVA_ALSA_DEVICE select.
  // Errors of the worker threads are shown once through MPShowException (exception_display.h)
  // on the user-interface thread, and playback then ends with merFailure.
  explicit TMP3Player(IDispatcher& dispatcher, IAudioBackend* backend = nullptr);
  virtual ~TMP3Player();
  TMP3Player(const TMP3Player&) = delete;
  TMP3Player& operator=(const TMP3Player&) = delete;

  // Loading from a stored form: between the two calls assignments behave as they do while a form
  // is read (FileName does not open, Volume 0 takes the device volume); EndLoading then opens
  // FileName when AutoOpen is set and spreads the band frequencies in memFreq mode.
  void BeginLoading();
  void EndLoading();

  // Properties.
  bool AutoOpen() const { return autoOpen_; }
  void SetAutoOpen(bool value);
  bool AutoPlay() const { return autoPlay_; }
  void SetAutoPlay(bool value);
  int ChangePosStep() const { return changePosStep_; }
  void SetChangePosStep(int value);  // Milliseconds, at least 100; smaller values are ignored.
  TThreadPriority DecodePriority() const { return decodePriority_; }
  void SetDecodePriority(TThreadPriority value);
  const std::string& FileName() const { return fileName_; }
  void SetFileName(const std::string& value);  // Opens it when AutoOpen is set.
  TMP3InfoType NeedInfoType() const;
  void SetNeedInfoType(TMP3InfoType value);
  bool NoisySeek() const { return noisySeek_; }
  void SetNoisySeek(bool value) { noisySeek_ = value; }
  bool InvertPolarity();
  void SetInvertPolarity(bool value);
  TMP3CpuCapabilities UsingCpuCapabilities() const { return usingCpu_; }
  void SetUsingCpuCapabilities(TMP3CpuCapabilities value);
  int VolBalance() const { return volBalance_; }
  void SetVolBalance(int value);  // -100 (left only) ... +100 (right only).
  int Volume() const { return volume_; }
  void SetVolume(int value);  // 0 ... 100.
  // Where Play sends the sound instead of the device: a WAV file; emptied by Stop.
  const std::string& OutputFileName() const { return outputFileName_; }
  void SetOutputFileName(const std::string& value) { outputFileName_ = value; }
  int DeviceID() const { return deviceId_; }
  void SetDeviceID(int value) { deviceId_ = value; }  // -1: the system's default device.

  // Equalizer. Bands are in hundredths of a decade (100 = gain 10); the band index is 0...31.
  bool EqualizerEnabled() const { return eqEnabled_; }
  void SetEqualizerEnabled(bool value);
  TMP3EqualizerMode EqualizerMode() const { return eqMode_; }
  void SetEqualizerMode(TMP3EqualizerMode value);
  int EqualizerCount() const { return eqCount_; }
  void SetEqualizerCount(int value);  // 1 ... 32; other values are ignored.
  int Band(int index) const;
  void SetBand(int index, int value);
  int BandFrequency(int index) const;
  void SetBandFrequency(int index, int value);
  void SetFrequencyRange(int low, int high);

  // Events, raised on the user-interface thread.
  void SetOnChangePosition(TNotifyEvent handler) { onChangePosition_ = std::move(handler); }
  void SetOnChangeStatus(TNotifyEvent handler) { onChangeStatus_ = std::move(handler); }
  void SetOnEndPlay(TMP3EndPlayEvent handler) { onEndPlay_ = std::move(handler); }

  // Operations.
  void Open();
  // Takes `stream` (kOwnsStream: the player deletes it at Close). Raises TMPFormatError when it
  // holds no MPEG audio; the player is closed then.
  void OpenStream(TMPStream* stream, uint32_t flags);
  void Close();
  void Play();
  void Stop();
  void Seek(int64_t milliseconds);
  TMP3PlayerCommands Commands() const;
  static void ReadFileInfo(const std::string& fileName, TMP3Info& info);

  // Read-only values.
  bool Opened() const { return source_ != nullptr; }
  TMP3PlayerStatus Status() const { return status_; }
  int64_t Duration() const;  // Milliseconds.
  int64_t Position();        // Milliseconds.
  std::string Title() const;
  std::string Artist() const;
  std::string Album() const;
  int Bitrate() const { return bitrate_; }  // Bits per second; 0 for a variable bit rate.
  int SampleRate() const { return sampleRate_; }
  int Channels() const { return channels_; }
  int Layer() const { return layer_; }
  int MPEGVersion() const { return mpegVersion_; }  // 1, 2, or 3 for MPEG-2.5.

 protected:
  virtual void DoChangeStatus();
  virtual void DoChangePosition();
  virtual void DoEndPlay();

 private:
  // Engine (player_engine.cpp).
  void WatchEvent();
  void WritePending(int& freePercent);
  void ReadAheadWhileFull(int freePercent);
  void CheckSourceWhole();
  void FlushAtEnd();
  void AwaitEndOfPlay(uint32_t generation);
  void SeekToFrame(int64_t frame);
  void ForwardException(const std::exception& error);
  void PositionNotifier();
  void PostOnce(uint32_t code);
  void HandleNotice(uint32_t code, uint32_t value, const std::string& text);
  void HandleThreadException(uint32_t session, const std::string& text);
  void HandleEndOfStream(uint32_t session);

  // Component (mp3_player.cpp).
  void OpenNamedStream(TMPStream* stream, uint32_t flags, const std::string& name);
  void OpenSource();
  void ReadFirstFrame();
  void CountFrames();
  void SetStatus(TMP3PlayerStatus value);
  std::exception_ptr StopOutput();

  // Equalizer (equalizer.cpp).
  void ApplyEqualizer();

  IDispatcher& dispatcher_;
  std::shared_ptr<TMPNotifier> notifier_;
  bool loading_ = false;
  bool autoOpen_ = true;
  bool autoPlay_ = true;
  int changePosStep_ = 400;
  TThreadPriority decodePriority_ = tpNormal;
  std::string fileName_;
  bool noisySeek_ = true;
  TMP3CpuCapabilities usingCpu_;
  int volBalance_ = 0;
  int volume_ = 100;
  std::string outputFileName_;
  int deviceId_ = -1;

  bool eqEnabled_ = false;
  TMP3EqualizerMode eqMode_ = memSubBand;
  int eqCount_ = 6;
  std::array<int, kBandCount> bands_{};
  std::array<int, kBandCount> bandFrequencies_{};

  TNotifyEvent onChangePosition_;
  TNotifyEvent onChangeStatus_;
  TMP3EndPlayEvent onEndPlay_;

  // The open source and what its first frame says.
  TMPStream* source_ = nullptr;
  uint32_t sourceFlags_ = 0;
  TMP3Info info_;
  TMPStreamReader reader_;
  TMPFrameLoop frames_;
  std::atomic<TMP3PlayerStatus> status_{mpsStopped};
  int bitrate_ = 0;
  int sampleRate_ = 0;
  int channels_ = 0;
  int layer_ = 0;
  int mpegVersion_ = 0;
  int32_t pcmBytesPerFrame_ = 0;
  TMPVbrHeader vbr_;        // Of the header frame; a frame count of a seekable stream's own else.
  int32_t audioSize_ = 0;   // As found at open; the decoding thread may end the data earlier.
  int32_t sourceSize_ = 0;  // Of a seekable source at open.

  // Playing state. pcm_ and pcmPending_ are guarded by decoderLock_; playedBytes_ and
  // positionMs_ by outputLock_.
  TMP3EndPlayReason endReason_ = merStoped;
  std::vector<uint8_t> pcm_;
  int32_t pcmPending_ = 0;
  int64_t playedBytes_ = 0;
  int64_t positionMs_ = 0;
  // Numbers each Play, so that a late end or error of an earlier one is recognised.
  std::atomic<uint32_t> session_{0};
  // Moved on by every play, stop and seek, under the decoder lock, so that the decoding thread
  // sees whether its end of the data still stands after waiting for the device.
  uint32_t generation_ = 0;
  // A worker error is on its way to be shown; further ones of the same playing are not.
  std::atomic<bool> failurePending_{false};
  std::vector<int32_t> seekTable_;
  TMPSimpleMutex seekTableLock_;

  TMPSimpleMutex outputLock_;
  TMPSimpleMutex decoderLock_;
  std::unique_ptr<TSoundOut> soundOut_;
  std::unique_ptr<TMPLoopThread> decodeThread_;
};
