// libFuzzer target: differential decoding. The input chooses one of the project's Layer I, II and
// III test streams (first byte) and drives the stream mutator with the rest; the mutated stream
// is decoded by this decoder and by libmpg123, and any difference beyond full accuracy within the
// designed bandwidth stops the run.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "mp3player/compo/decoder/decoder.h"
#include "tools/difftest/differential.h"
#include "tools/difftest/stream_mutator.h"

namespace {

// Frames per mutated stream: enough for the reservoir, the overlap and the synthesis to carry
// faults into later frames, few enough to keep the runs fast.
constexpr size_t kFrames = 10;

std::vector<TStreamMutator>& Mutators() {
  static std::vector<TStreamMutator> mutators;
  return mutators;
}

void LoadStreams() {
  namespace fs = std::filesystem;
  std::vector<fs::path> paths;
  for (const char* folder : {"layer3", "layer12"}) {
    for (const auto& entry : fs::directory_iterator(fs::path(KORVA_DECODER_DATA) / folder)) {
      const std::string ext = entry.path().extension().string();
      if (ext == ".mp1" || ext == ".mp2" || ext == ".mp3") paths.push_back(entry.path());
    }
  }
  std::sort(paths.begin(), paths.end());
  for (const fs::path& path : paths) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>()};
    TStreamMutator mutator;
    if (mutator.Parse(bytes, kFrames)) Mutators().push_back(std::move(mutator));
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  LoadStreams();
  if (Mutators().empty()) {
    std::fprintf(stderr, "fuzz_differential: no test streams in %s\n", KORVA_DECODER_DATA);
    __builtin_trap();
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const TStreamMutator& mutator = Mutators()[data[0] % Mutators().size()];
  MPSelectCpuRoutines((data[0] & 0x80) ? MPDetectCpu() : 0);
  TMutationChoices choices(data + 1, size - 1);
  const std::vector<uint8_t> stream = mutator.Mutate(choices);
  if (stream.empty()) return 0;
  const TComparison c = CompareDecoders(stream);
  if (!c.Accurate()) {
    std::fprintf(stderr, "fuzz_differential: %s\n", c.Describe().c_str());
    __builtin_trap();
  }
  return 0;
}
