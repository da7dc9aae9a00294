// playwav [--out OUT.wav] IN.wav
//
// Plays a 16-bit or 8-bit PCM WAV file through the wave output and returns when it has been
// played, on the device that KORVA_AUDIO selects (the system's by default, "null" for the silent
// device that plays in real time). With --out the PCM goes through the wave output's WAV file
// output into OUT.wav instead. Exit status: 0 done, 1 failed, 2 wrong command line.
#include <algorithm>
#include <cstdio>
#include <exception>
#include <string>

#include "mp3player/compo/output/sound_out.h"
#include "platform/files.h"
#include "tools/playwav/wave_file.h"
#include "tools/tool_main.h"

namespace {

constexpr int kPiece = 1 << 20;

int Usage() {
  std::fprintf(stderr, "usage: playwav [--out OUT.wav] IN.wav\n");
  return 2;
}

// Hands all PCM to the output, sleeping while its buffers are full.
void Feed(TSoundOut& out, std::string_view pcm) {
  TMPSimpleEvent space;
  while (!pcm.empty()) {
    const int length = static_cast<int>(std::min<size_t>(pcm.size(), kPiece));
    const int taken = out.Write(pcm.data(), length);
    pcm.remove_prefix(static_cast<size_t>(taken));
    if (taken > 0) continue;
    space.ResetEvent();
    out.WaitForSpace(&space);
    if (space.WaitFor(out.DoneTimeout()) != MP_WAIT_OBJECT_0) {
      throw ESoundOutError("the sound device does not return its buffers.");
    }
  }
}

void Play(const std::string& input, const std::string& output) {
  const std::string bytes = ReadFileBytes(input);
  const TWavePcm wave = ParseWave(bytes);
  TSoundOut out;
  out.SetSampleRate(wave.SampleRate);
  out.SetChannels(wave.Channels);
  out.SetBitsPerSample(wave.BitsPerSample);
  out.SetWaveFileName(output);
  out.Open();
  Feed(out, wave.Data);
  out.Close();
}

}  // namespace

int ToolMain(int argc, char** argv) {
  std::string input;
  std::string output;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--out" && i + 1 < argc && output.empty()) {
      output = argv[++i];
    } else if (input.empty() && !arg.empty() && arg != "--out") {
      input = arg;
    } else {
      return Usage();
    }
  }
  if (input.empty()) return Usage();
  try {
    Play(input, output);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "playwav: %s: %s\n", input.c_str(), error.what());
    return 1;
  }
  return 0;
}
