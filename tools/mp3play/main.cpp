// mp3play [--seconds N] [--seek MS] [--wav OUT.wav] FILE
//
// Plays FILE through the player component on the device that KORVA_AUDIO / KORVA_ALSA_DEVICE
// select, or into OUT.wav, until it ends or N seconds have passed (then it stops), after seeking
// to MS milliseconds. Prints "duration_ms=D" (the player's Duration) once the file is open,
// "position_ms=P" for every position notification and, at the end,
// "played_ms=P cpu_ms=C cpu_percent=X end=REASON", where P is the play position reached, C the
// processor time of the whole process from Play on, X its share of the time played and REASON
// the end's reason (merSuccessful, merStoped or merFailure). Exit status: 0 played to the end or
// stopped, 1 failed, 2 wrong command line.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "mp3player/compo/exception_display.h"
#include "mp3player/compo/player/mp3_player.h"
#include "platform/queue_dispatcher.h"
#include "tools/tool_main.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#endif

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
  double seconds = -1;  // Below 0: to the end.
  long long seekMs = -1;
  std::string wav;
  std::string file;
};

int Usage() {
  std::fprintf(stderr, "usage: mp3play [--seconds N] [--seek MS] [--wav OUT.wav] FILE\n");
  return 2;
}

bool ParseNumber(const char* text, double& value) {
  char* end = nullptr;
  value = std::strtod(text, &end);
  return end != text && *end == '\0' && value >= 0;
}

bool ParseOptions(int argc, char** argv, Options& options) {
  int i = 1;
  for (; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    double number = 0;
    if (option == "--seconds" && ParseNumber(argv[i + 1], number)) {
      options.seconds = number;
    } else if (option == "--seek" && ParseNumber(argv[i + 1], number)) {
      options.seekMs = static_cast<long long>(number);
    } else if (option == "--wav") {
      options.wav = argv[i + 1];
    } else {
      break;
    }
  }
  if (i != argc - 1 || argv[i][0] == '-') return false;
  options.file = argv[i];
  return true;
}

// Processor time of the process, user and system, in milliseconds.
double CpuMs() {
#ifdef _WIN32
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  const auto ticks = [](const FILETIME& t) {
    return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
  };
  return (ticks(kernel) + ticks(user)) / 10000.0;
#else
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const auto ms = [](const timeval& t) { return t.tv_sec * 1000.0 + t.tv_usec / 1000.0; };
  return ms(usage.ru_utime) + ms(usage.ru_stime);
#endif
}

const char* ReasonName(TMP3EndPlayReason reason) {
  switch (reason) {
    case merSuccessful:
      return "merSuccessful";
    case merStoped:
      return "merStoped";
    case merFailure:
      return "merFailure";
  }
  return "?";
}

int Play(const Options& options) {
  TQueueDispatcher dispatcher;
  bool failed = false;
  MPSetExceptionDisplay([&failed](const std::exception& error) {
    std::fprintf(stderr, "mp3play: %s\n", error.what());
    failed = true;
  });
  TMP3Player player(dispatcher);
  player.SetAutoPlay(false);
  player.SetFileName(options.file);
  player.SetOutputFileName(options.wav);
  std::printf("duration_ms=%lld\n", static_cast<long long>(player.Duration()));
  std::fflush(stdout);

  bool ended = false;
  TMP3EndPlayReason reason = merStoped;
  int64_t playedMs = 0;
  player.SetOnChangePosition([&](TMP3Player* sender) {
    if (sender->Status() == mpsStopped) return;
    std::printf("position_ms=%lld\n", static_cast<long long>(sender->Position()));
    std::fflush(stdout);
  });
  player.SetOnEndPlay([&](TMP3Player*, TMP3EndPlayReason why) {
    ended = true;
    reason = why;
  });

  const double cpuStart = CpuMs();
  const auto started = Clock::now();
  player.Play();
  if (options.seekMs >= 0) player.Seek(options.seekMs);
  const auto deadline = options.seconds < 0
                            ? Clock::time_point::max()
                            : started + std::chrono::duration_cast<Clock::duration>(
                                            std::chrono::duration<double>(options.seconds));
  // What has been played is read before every notice, so that it is whole when the end of the
  // data is reported (the player is stopped and at 0 by the time its event arrives).
  while (!ended) {
    dispatcher.WaitForWork(std::chrono::milliseconds(20));
    if (player.Status() != mpsStopped) playedMs = player.Position();
    if (Clock::now() >= deadline && player.Status() != mpsStopped) player.Stop();
    dispatcher.RunOne();
  }
  const double cpuMs = CpuMs() - cpuStart;
  const double wallMs = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
  std::printf("played_ms=%lld cpu_ms=%.0f cpu_percent=%.2f end=%s\n",
              static_cast<long long>(playedMs), cpuMs, wallMs > 0 ? cpuMs * 100 / wallMs : 0.0,
              ReasonName(reason));
  MPSetExceptionDisplay(nullptr);
  return failed || reason == merFailure ? 1 : 0;
}

}  // namespace

int ToolMain(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) return Usage();
  if (!options.wav.empty() && options.seekMs >= 0) {
    std::fprintf(stderr, "mp3play: the player does not seek while it writes a WAV file\n");
    return 2;
  }
  try {
    return Play(options);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "mp3play: %s\n", error.what());
    return 1;
  }
}
