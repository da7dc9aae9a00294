// mp3decode [--verbose] [--generic] [--raw|--null] INPUT [OUTPUT]: decodes an MPEG audio file the
// way the player reads it, into a WAV file (default), raw signed 16-bit little-endian PCM (--raw)
// or nothing (--null). Without OUTPUT the PCM goes to standard output. Prints the frame count,
// the seconds of audio, the seconds taken and the real-time factor to standard error; --verbose
// first prints the routine form installed in each of the decoder's slots there. --generic
// installs the generic forms, as a player with every processor extension switched off does.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "mp3player/compo/decoder/decoder.h"
#include "mp3player/compo/info/mp3_info.h"
#include "mp3player/compo/io/file_stream.h"
#include "mp3player/compo/io/stream_reader.h"
#include "mp3player/compo/player/frame_loop.h"
#include "tools/tool_main.h"

#ifdef _WIN32
#include "platform/windows/wide.h"
#endif

namespace {

enum class Output { kWav, kRaw, kNull };

constexpr int32_t kReaderCapacity = 64 * 1024;

struct Options {
  Output output = Output::kWav;
  bool verbose = false;
  bool generic = false;  // The generic routine forms, as with every extension switched off.
  std::string input;
  std::string path;  // Empty: standard output.
};

bool ParseOptions(int argc, char** argv, Options& options) {
  int i = 1;
  for (; i < argc && argv[i][0] == '-'; ++i) {
    const std::string option = argv[i];
    if (option == "--verbose") {
      options.verbose = true;
    } else if (option == "--generic") {
      options.generic = true;
    } else if (option == "--raw") {
      options.output = Output::kRaw;
    } else if (option == "--null") {
      options.output = Output::kNull;
    } else {
      return false;
    }
  }
  if (i >= argc) return false;
  options.input = argv[i++];
  if (i < argc) options.path = argv[i++];
  return i == argc;
}

void PutLittleEndian(uint8_t* at, uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

// A canonical 44-byte PCM WAV header for `data_bytes` of PCM.
void WriteWavHeader(FILE* out, const TMPDecodeInfo& info, uint32_t data_bytes) {
  uint8_t h[44] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm',
                   't', ' ', 16,  0,   0, 0, 1, 0, 0,   0,   0,   0,   0,   0,
                   0,   0,   0,   0,   0, 0, 0, 0, 'd', 'a', 't', 'a'};
  const uint32_t block = info.channels * info.bits_per_sample / 8;
  PutLittleEndian(h + 4, data_bytes + 36, 4);
  PutLittleEndian(h + 22, info.channels, 2);
  PutLittleEndian(h + 24, info.sample_rate, 4);
  PutLittleEndian(h + 28, info.sample_rate * block, 4);
  PutLittleEndian(h + 32, block, 2);
  PutLittleEndian(h + 34, info.bits_per_sample, 2);
  PutLittleEndian(h + 40, data_bytes, 4);
  std::fwrite(h, 1, sizeof h, out);
}

// fopen reads a path in the ANSI code page on Windows; the wide form takes any name.
FILE* OpenOutput(const std::string& path) {
#ifdef _WIN32
  return _wfopen(Widen(path).c_str(), L"wb");
#else
  return std::fopen(path.c_str(), "wb");
#endif
}

int Decode(const Options& options) {
  TMPFileStream file(options.input);
  TMPStreamReader reader(kReaderCapacity);
  reader.Attach(&file, true);
  TMP3Info info;
  info.Attach(&reader);
  if (!info.ReadHeadTags()) {
    std::fprintf(stderr, "mp3decode: %s: no audio data\n", options.input.c_str());
    return 1;
  }
  info.ReadTailTags();
  const int32_t audio_start = info.DataStart();
  const int32_t audio_size = info.DataSize();
  info.Attach(nullptr);
  reader.Seek(audio_start, 0);

  MPSelectCpuRoutines(options.generic ? MPDetectCpu() & ~kMPCpuExtensions : MPDetectCpu());
  if (options.verbose) std::fputs(MPDescribeInstalledRoutines().c_str(), stderr);
  const auto started = std::chrono::steady_clock::now();
  TMPFrameLoop loop;
  if (!loop.Open(reader, audio_size)) {
    std::fprintf(stderr, "mp3decode: %s: unknown MPEG Audio format.\n", options.input.c_str());
    return 1;
  }

  FILE* out = nullptr;
  if (options.output != Output::kNull) {
    out = options.path.empty() ? stdout : OpenOutput(options.path);
    if (!out) {
      std::fprintf(stderr, "mp3decode: %s: %s\n", options.path.c_str(), std::strerror(errno));
      return 1;
    }
    if (options.output == Output::kWav) WriteWavHeader(out, loop.Info(), 0xFFFFFFFFu - 36);
  }

  alignas(16) uint8_t pcm[kMPMaxPcmBytes];
  int64_t frames = 0, pcm_bytes = 0;
  for (;;) {
    const int32_t bytes = loop.Step(pcm);
    if (bytes == TMPFrameLoop::kEnd) break;
    if (bytes == TMPFrameLoop::kSkipped) continue;
    ++frames;
    pcm_bytes += bytes;
    if (out) std::fwrite(pcm, 1, bytes, out);
  }
  const double taken =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

  if (out) {
    // A seekable output gets the real sizes; a pipe keeps the open-ended header.
    if (options.output == Output::kWav && std::fseek(out, 0, SEEK_SET) == 0) {
      WriteWavHeader(out, loop.Info(), static_cast<uint32_t>(pcm_bytes));
    }
    if (out != stdout) std::fclose(out);
  }
  const TMPDecodeInfo& format = loop.Info();
  const double bytes_per_second =
      double(format.sample_rate) * format.channels * format.bits_per_sample / 8;
  const double seconds = pcm_bytes / bytes_per_second;
  std::fprintf(stderr, "%lld frames, %.3f s of audio, %.3f s taken, %.1fx real time\n",
               static_cast<long long>(frames), seconds, taken, taken > 0 ? seconds / taken : 0.0);
  return 0;
}

}  // namespace

int ToolMain(int argc, char** argv) {
  Options options;
  if (!ParseOptions(argc, argv, options)) {
    std::fprintf(stderr,
                 "usage: mp3decode [--verbose] [--generic] [--raw|--null] INPUT [OUTPUT]\n");
    return 2;
  }
  try {
    return Decode(options);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "mp3decode: %s\n", e.what());
    return 1;
  }
}
