// mpeg-difftest [--seed N] [--count N] [--frames N] [--save DIR] [--failures DIR] STREAM...:
// mutates the side information of the first FRAMES frames of each clean stream COUNT times
// (seeds N, N+1, ...), decodes every mutated stream with this decoder and with libmpg123
// (subband 31 silenced in both) and prints the streams that are not decoded at full accuracy.
// --save writes every mutated stream to DIR as NAME-SEED.EXT, --failures only those that differ.
// Ends with "N streams compared, F differ, T s" and exit status 1 when any differ.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "mp3player/compo/decoder/decoder.h"
#include "tools/difftest/differential.h"
#include "tools/difftest/stream_mutator.h"

namespace {

struct Options {
  uint64_t seed = 1;
  uint64_t count = 100;
  size_t frames = 16;
  std::string save;
  std::string failures;
  std::vector<std::string> streams;
};

bool ParseOptions(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    const bool has_value = i + 1 < argc;
    if (a == "--seed" && has_value) {
      o.seed = std::strtoull(argv[++i], nullptr, 10);
    } else if (a == "--count" && has_value) {
      o.count = std::strtoull(argv[++i], nullptr, 10);
    } else if (a == "--frames" && has_value) {
      o.frames = std::strtoull(argv[++i], nullptr, 10);
    } else if (a == "--save" && has_value) {
      o.save = argv[++i];
    } else if (a == "--failures" && has_value) {
      o.failures = argv[++i];
    } else if (a.empty() || a[0] == '-') {
      return false;
    } else {
      o.streams.push_back(a);
    }
  }
  return !o.streams.empty() && o.frames > 0;
}

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()),
             static_cast<std::streamsize>(bytes.size()));
}

std::string SavedName(const std::string& path, uint64_t seed) {
  const std::string base = path.substr(path.find_last_of('/') + 1);
  const size_t dot = base.rfind('.');
  return base.substr(0, dot) + "-" + std::to_string(seed) + base.substr(dot);
}

}  // namespace

int main(int argc, char** argv) {
  Options o;
  if (!ParseOptions(argc, argv, o)) {
    std::fprintf(stderr,
                 "usage: mpeg-difftest [--seed N] [--count N] [--frames N] [--save DIR] "
                 "[--failures DIR] STREAM...\n");
    return 2;
  }
  MPSelectCpuRoutines(MPDetectCpu());
  const auto started = std::chrono::steady_clock::now();
  uint64_t compared = 0, differing = 0;
  for (const std::string& path : o.streams) {
    TStreamMutator mutator;
    if (!mutator.Parse(ReadFile(path), o.frames)) {
      std::fprintf(stderr, "mpeg-difftest: %s: no clean MPEG audio stream, skipped\n",
                   path.c_str());
      continue;
    }
    for (uint64_t seed = o.seed; seed < o.seed + o.count; ++seed) {
      TMutationChoices choices(seed);
      const std::vector<uint8_t> stream = mutator.Mutate(choices);
      if (stream.empty()) continue;
      const TComparison c = CompareDecoders(stream);
      ++compared;
      const std::string name = SavedName(path, seed);
      if (!o.save.empty()) WriteFile(o.save + "/" + name, stream);
      if (!c.Accurate()) {
        ++differing;
        std::printf("%s: %s\n", name.c_str(), c.Describe().c_str());
        std::fflush(stdout);
        if (!o.failures.empty()) WriteFile(o.failures + "/" + name, stream);
      }
    }
  }
  const double taken =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf("%llu streams compared, %llu differ, %.1f s\n",
              static_cast<unsigned long long>(compared), static_cast<unsigned long long>(differing),
              taken);
  return differing ? 1 : 0;
}
