// The player's properties and its open, close, play and stop operations.
#include "mp3player/compo/player/mp3_player.h"

#include <algorithm>
#include <limits>

#include "mp3player/compo/decoder/cpu.h"
#include "mp3player/compo/decoder/decoder.h"
#include "mp3player/compo/format_error.h"
#include "mp3player/compo/io/file_stream.h"
#include "mp3player/compo/io/stream.h"
#include "mp3player/compo/player/notifier.h"
#include "mp3player/compo/player/player_notices.h"

namespace {

constexpr int32_t kReaderCapacity = 65536;
constexpr size_t kPcmBufferBytes = 5120;

// The thread priority numbers of Windows, which the loop thread maps to the platform's own.
constexpr int kThreadPriorities[] = {-15, -2, -1, 0, 1, 2, 15};

int32_t DetectedCpuSet() { return MPCpuFlagsToSet(MPDetectCpu()); }

}  // namespace

TMP3Player::TMP3Player(IDispatcher& dispatcher, IAudioBackend* backend)
    : dispatcher_(dispatcher), reader_(kReaderCapacity) {
  notifier_ = std::make_shared<TMPNotifier>(
      dispatcher, [this](uint32_t code, uint32_t value, const std::string& text) {
        HandleNotice(code, value, text);
      });
  usingCpu_ = TMP3CpuCapabilities::FromBits(static_cast<uint32_t>(DetectedCpuSet()));
  soundOut_ = std::make_unique<TSoundOut>(backend);
  soundOut_->SetNotifyInterval(changePosStep_);
  soundOut_->SetOnThreadError([this](TSoundOut*, const std::exception& error, bool& handled) {
    ForwardException(error);
    handled = true;
  });
  soundOut_->SetOnNotify([this](TSoundOut*) { PositionNotifier(); });
  SetHandler(MPM_WATCHEVENT, [this](TMPMessage&) { WatchEvent(); });
  decodeThread_ = std::make_unique<TMPLoopThread>(static_cast<TMPMessageTarget*>(this));
  decodeThread_->SetOnException([this](TMPLoopThread*, const std::exception& error, bool& handled) {
    ForwardException(error);
    handled = true;
  });
  decodeThread_->Resume();
}

// Nothing waits for the user-interface thread, so the threads end without its help; the
// decoding thread ends first, while the wave output it writes to still lives.
TMP3Player::~TMP3Player() {
  notifier_->Disconnect();
  try {
    Close();
  } catch (const std::exception&) {
    // Nobody is left to tell; the output and the stream are released all the same.
  }
  decodeThread_->Terminate();
  soundOut_.reset();
  decodeThread_.reset();
}

void TMP3Player::BeginLoading() { loading_ = true; }

void TMP3Player::EndLoading() {
  loading_ = false;
  if (autoOpen_ && !fileName_.empty()) Open();
  if (eqMode_ == memFreq) SetFrequencyRange(60, 16000);
}

void TMP3Player::SetAutoOpen(bool value) {
  autoOpen_ = value;
  if (value && !loading_) Open();
}

void TMP3Player::SetAutoPlay(bool value) { autoPlay_ = value; }

void TMP3Player::SetChangePosStep(int value) {
  if (value < 100) return;
  changePosStep_ = value;
  TMPLockGuard output(outputLock_);
  soundOut_->SetNotifyInterval(value);
}

void TMP3Player::SetDecodePriority(TThreadPriority value) {
  if (value < tpIdle || value > tpTimeCritical) return;
  decodePriority_ = value;
  decodeThread_->SetPriority(kThreadPriorities[value]);
}

void TMP3Player::SetFileName(const std::string& value) {
  fileName_ = value;
  if (autoOpen_ && !loading_) Open();
}

TMP3InfoType TMP3Player::NeedInfoType() const { return info_.NeedInfoType(); }

void TMP3Player::SetNeedInfoType(TMP3InfoType value) { info_.SetNeedInfoType(value); }

bool TMP3Player::InvertPolarity() {
  TMPLockGuard decoder(decoderLock_);
  return MPGetInvertPolarity() != 0;
}

void TMP3Player::SetInvertPolarity(bool value) {
  TMPLockGuard decoder(decoderLock_);
  MPSetInvertPolarity(value ? 1 : 0);
}

void TMP3Player::SetUsingCpuCapabilities(TMP3CpuCapabilities value) {
  usingCpu_ = TMP3CpuCapabilities::FromBits(value.Bits() & static_cast<uint32_t>(DetectedCpuSet()));
}

void TMP3Player::SetVolBalance(int value) {
  if (value < -100 || value > 100) return;
  volBalance_ = value;
  TMPLockGuard output(outputLock_);
  soundOut_->SetBalance(value);
}

void TMP3Player::SetVolume(int value) {
  if (value < 0 || value > 100) return;
  // A stored 0 stands for "as the device is set".
  if (value == 0 && loading_) {
    volume_ = soundOut_->Volume();
    return;
  }
  volume_ = value;
  TMPLockGuard output(outputLock_);
  soundOut_->SetVolume(value);
}

void TMP3Player::DoChangeStatus() {
  if (onChangeStatus_) onChangeStatus_(this);
}

void TMP3Player::DoChangePosition() {
  if (onChangePosition_) onChangePosition_(this);
}

void TMP3Player::DoEndPlay() {
  if (onEndPlay_) onEndPlay_(this, endReason_);
  endReason_ = merStoped;
}

void TMP3Player::Open() {
  if (fileName_.empty()) {
    Close();
    return;
  }
  const std::string name = fileName_;
  auto* stream = new TMPFileStream(name);
  OpenNamedStream(stream, kSeekable | kOwnsStream, name);
}

void TMP3Player::OpenStream(TMPStream* stream, uint32_t flags) {
  OpenNamedStream(stream, flags, std::string());
}

void TMP3Player::OpenNamedStream(TMPStream* stream, uint32_t flags, const std::string& name) {
  try {
    Close();
  } catch (...) {
    // The stream was handed over: it must not outlive a failed switch to it.
    if (flags & kOwnsStream) delete stream;
    throw;
  }
  fileName_ = name;
  source_ = stream;
  sourceFlags_ = flags;
  if (source_ != nullptr) {
    try {
      OpenSource();
    } catch (...) {
      Close();
      throw;
    }
  }
  if (autoPlay_) Play();
}

void TMP3Player::OpenSource() {
  const bool seekable = (sourceFlags_ & kSeekable) != 0;
  TMPLockGuard decoder(decoderLock_);
  reader_.Attach(source_, seekable);
  sourceSize_ = seekable ? source_->Size() : 0;
  pcm_.assign(kPcmBufferBytes, 0);
  info_.Attach(&reader_);
  info_.ReadHeadTags();
  if (seekable) {
    info_.ReadTailTags();
    reader_.Seek(info_.DataStart(), 0);
  }
  info_.Attach(nullptr);
  pcmPending_ = 0;
  ReadFirstFrame();
  {
    TMPLockGuard table(seekTableLock_);
    seekTable_.assign(1, reader_.Position());
  }
  if (seekable && vbr_.frames == 0) CountFrames();
  PostOnce(MPM_EQUALIZER);
  SetStatus(mpsStopped);
}

// The stream's facts come from its first frame and, for a variable bit rate, from the Xing or
// VBRI header in it.
void TMP3Player::ReadFirstFrame() {
  if (!frames_.Open(reader_, info_.DataSize())) throw TMPFormatError();
  const TMPAudioHeader& header = frames_.Header();
  if (header.id == 1) {
    mpegVersion_ = 1;
  } else if (header.sync_kind == 1 || header.sync_kind == 2) {
    mpegVersion_ = header.sync_kind + 1;
  } else {
    throw TMPFormatError();
  }
  layer_ = 4 - header.layer_code;
  const TMPDecodeInfo& format = frames_.Info();
  {
    TMPLockGuard output(outputLock_);
    soundOut_->SetSampleRate(format.sample_rate);
    soundOut_->SetBitsPerSample(format.bits_per_sample);
    soundOut_->SetChannels(format.channels);
    playedBytes_ = 0;
    positionMs_ = 0;
  }
  sampleRate_ = format.sample_rate;
  channels_ = format.channels;
  pcmBytesPerFrame_ = frames_.PcmBytesPerFrame();
  vbr_ = frames_.Vbr();
  bitrate_ = vbr_.found && !vbr_.constant ? 0 : frames_.Bitrate();
  audioSize_ = frames_.AudioSize();
}

// Under the decoder lock. A stream without a frame count would be timed by its first frame's
// bit rate, which is wrong for a variable one: its frame headers are walked once instead (a few
// milliseconds for an hour from the page cache). The frame starts found make every later seek a
// single stream seek.
void TMP3Player::CountFrames() {
  TMPLockGuard table(seekTableLock_);
  const int32_t first = seekTable_.front();
  seekTable_.clear();
  for (int32_t start = first; frames_.StepOverFrame(); start = reader_.Position()) {
    seekTable_.push_back(start);
  }
  if (seekTable_.empty()) {
    seekTable_.push_back(first);
  } else {
    vbr_.frames = static_cast<uint32_t>(seekTable_.size());
  }
  reader_.Seek(first, 0);
}

void TMP3Player::Close() {
  if (!Opened()) return;
  std::exception_ptr failure;
  if (status_ != mpsStopped) {
    try {
      Stop();
    } catch (...) {
      failure = std::current_exception();
    }
  }
  if (!Opened()) return;  // Stop closed a stream that cannot seek.
  {
    TMPLockGuard decoder(decoderLock_);
    reader_.Detach();
    std::vector<uint8_t>().swap(pcm_);
    pcmPending_ = 0;
  }
  fileName_.clear();
  if (sourceFlags_ & kOwnsStream) delete source_;
  source_ = nullptr;
  info_.Clear();
  bitrate_ = channels_ = layer_ = mpegVersion_ = sampleRate_ = 0;
  pcmBytesPerFrame_ = 0;
  audioSize_ = 0;
  vbr_ = TMPVbrHeader();
  {
    TMPLockGuard output(outputLock_);
    playedBytes_ = 0;
    positionMs_ = 0;
  }
  SetStatus(mpsStopped);
  if (failure) std::rethrow_exception(failure);
}

void TMP3Player::Play() {
  if (!Commands().Contains(mpcPlay)) return;
  const int32_t detected = MPDetectCpu();
  MPSelectCpuRoutines((detected & ~kMPCpuExtensions) |
                      MPCpuSetToFlags(static_cast<int32_t>(usingCpu_.Bits())));
  try {
    TMPLockGuard decoder(decoderLock_);
    TMPLockGuard output(outputLock_);
    soundOut_->SetOnNotify([this](TSoundOut*) { PositionNotifier(); });
    soundOut_->SetWaveFileName(outputFileName_);
    soundOut_->SetDeviceID(deviceId_);
    soundOut_->Open();
    ++session_;
    ++generation_;
    failurePending_ = false;
    decodeThread_->Event().SetEvent();
  } catch (...) {
    TMPLockGuard decoder(decoderLock_);
    TMPLockGuard output(outputLock_);
    StopOutput();
    throw;
  }
  SetStatus(mpsPlaying);
  endReason_ = merStoped;
  PostOnce(MPM_CHANGEPOSITION);
}

void TMP3Player::Stop() {
  if (!Opened() || status_ == mpsStopped) return;
  outputFileName_.clear();
  const bool seekable = (sourceFlags_ & kSeekable) != 0;
  std::exception_ptr failure;
  {
    TMPLockGuard decoder(decoderLock_);
    ++generation_;
    {
      TMPLockGuard output(outputLock_);
      failure = StopOutput();
      playedBytes_ = 0;
      positionMs_ = 0;
    }
    try {
      if (seekable) reader_.Seek(frames_.AudioStart(), 0);
    } catch (...) {
      if (!failure) failure = std::current_exception();
    }
    pcmPending_ = 0;
    frames_.Restart();
  }
  SetStatus(mpsStopped);
  PostOnce(MPM_CHANGEPOSITION);
  if (!seekable) Close();
  if (failure) std::rethrow_exception(failure);
}

// Under both locks. The output is let go even when the device fails on the way, and the error
// is answered instead of raised, so that the player always ends up stopped.
std::exception_ptr TMP3Player::StopOutput() {
  std::exception_ptr failure;
  soundOut_->SetOnNotify(nullptr);
  try {
    soundOut_->Reset();
  } catch (...) {
    failure = std::current_exception();
  }
  try {
    soundOut_->Close();
  } catch (...) {
    if (!failure) failure = std::current_exception();
  }
  decodeThread_->Event().ResetEvent();
  return failure;
}

TMP3PlayerCommands TMP3Player::Commands() const {
  if (!Opened()) return {mpcOpen};
  const TMP3PlayerStatus status = status_;
  if (status == mpsStopped) return {mpcOpen, mpcClose, mpcPlay, mpcIdle};
  TMP3PlayerCommands commands{mpcOpen, mpcClose, mpcStop};
  if (!outputFileName_.empty()) return commands;
  if (status == mpsPlaying) commands.Include(mpcPause);
  if (status == mpsPaused) commands.Include(mpcResume);
  if (sourceFlags_ & kSeekable) commands.Include(mpcSeek);
  return commands;
}

void TMP3Player::ReadFileInfo(const std::string& fileName, TMP3Info& info) { info.Open(fileName); }

void TMP3Player::SetStatus(TMP3PlayerStatus value) {
  const TMP3PlayerStatus old = status_.exchange(value);
  PostOnce(MPM_CHANGESTATUS);
  if (Opened() && old != mpsStopped && value == mpsStopped) PostOnce(MPM_ENDPLAY);
}

int64_t TMP3Player::Duration() const {
  if (!Opened()) return 0;
  const int64_t audio = audioSize_ == TMP3Info::kUnknownSize ? 0 : audioSize_;
  const int64_t ms = MPStreamDurationMs(frames_.Header(), vbr_, audio);
  return std::min<int64_t>(ms, std::numeric_limits<int32_t>::max());
}

std::string TMP3Player::Title() const {
  std::string title = info_.Title();
  if (title.empty() && !fileName_.empty()) {
    const size_t slash = fileName_.find_last_of("/\\");
    title = slash == std::string::npos ? fileName_ : fileName_.substr(slash + 1);
  }
  return title;
}

std::string TMP3Player::Artist() const { return info_.Artist(); }

std::string TMP3Player::Album() const { return info_.Album(); }
