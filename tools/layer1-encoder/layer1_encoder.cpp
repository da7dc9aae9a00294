// A small MPEG audio Layer I encoder that makes test streams for the decoder; no packaged tool
// writes Layer I. It favours simplicity over quality: a polyphase analysis filterbank, one scale
// factor per subband and frame, and a greedy bit allocation by signal level (no psychoacoustic
// model).
//
// Usage: layer1-encoder WINDOW_FILE RATE MODE KBPS [--crc] [--max-subbands N] < PCM > STREAM
//   WINDOW_FILE  the standard's synthesis window coefficients as "D[i]= value" (the analysis
//                window is the same divided by 32)
//   RATE         32000, 44100, 48000 (MPEG-1) or 16000, 22050, 24000 (MPEG-2)
//   MODE         stereo, joint4, joint8, joint12, joint16 (joint stereo with that bound), dual
//                or mono
//   PCM          raw signed 16-bit little-endian samples, interleaved for two channels
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <iostream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int kSubbands = 32;
constexpr int kSlots = 12;
constexpr double kPi = 3.14159265358979323846;

struct Options {
  int rate = 0;
  int channels = 2;
  int mode = 0;  // header mode: 0 stereo, 1 joint, 2 dual, 3 mono
  int mode_extension = 0;
  int bound = kSubbands;
  int kbps = 0;
  bool crc = false;
  int max_subbands = 27;  // Subbands the allocation may use: the rest stays silent.
};

[[noreturn]] void Fail(const std::string& message) {
  std::cerr << "layer1-encoder: " << message << "\n";
  std::exit(2);
}

std::vector<double> ReadAnalysisWindow(const char* path) {
  std::ifstream in(path);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<double> window(512);
  int found = 0;
  for (size_t at = text.find("D["); at != std::string::npos; at = text.find("D[", at + 1)) {
    char* end = nullptr;
    const long index = std::strtol(text.c_str() + at + 2, &end, 10);
    const size_t value_at = text.find("]=", at);
    if (index < 0 || index >= 512 || value_at == std::string::npos) Fail("bad window file");
    window[index] = std::strtod(text.c_str() + value_at + 2, nullptr) / 32.0;
    ++found;
  }
  if (found != 512) Fail("the window file needs 512 coefficients");
  return window;
}

// Polyphase analysis of one channel: 32 new samples in, 32 subband samples out.
class Analysis {
 public:
  explicit Analysis(const std::vector<double>& window) : window_(window) {
    for (int i = 0; i < kSubbands; ++i)
      for (int k = 0; k < 64; ++k) matrix_[i][k] = std::cos((2 * i + 1) * (k - 16) * kPi / 64);
  }

  void Run(const double* input, double* subbands) {
    std::memmove(history_ + 32, history_, sizeof(double) * 480);
    for (int i = 0; i < 32; ++i) history_[31 - i] = input[i];
    double y[64] = {};
    for (int i = 0; i < 64; ++i)
      for (int j = 0; j < 8; ++j) y[i] += window_[i + 64 * j] * history_[i + 64 * j];
    for (int i = 0; i < kSubbands; ++i) {
      double s = 0;
      for (int k = 0; k < 64; ++k) s += matrix_[i][k] * y[k];
      subbands[i] = s;
    }
  }

 private:
  const std::vector<double>& window_;
  double matrix_[kSubbands][64];
  double history_[512] = {};
};

class BitWriter {
 public:
  void Put(uint32_t value, int bits) {
    for (int b = bits - 1; b >= 0; --b) bits_.push_back((value >> b) & 1);
  }
  size_t Position() const { return bits_.size(); }
  void Set(size_t at, uint32_t value, int bits) {
    for (int b = bits - 1; b >= 0; --b) bits_[at++] = (value >> b) & 1;
  }
  // CRC-16 (polynomial 0x8005, start 0xFFFF) of the bit ranges [from, to).
  uint16_t Crc(std::initializer_list<std::pair<size_t, size_t>> ranges) const {
    uint16_t crc = 0xFFFF;
    for (const auto& [from, to] : ranges)
      for (size_t i = from; i < to; ++i) {
        const bool top = ((crc >> 15) & 1) != bits_[i];
        crc = static_cast<uint16_t>(crc << 1);
        if (top) crc ^= 0x8005;
      }
    return crc;
  }
  std::vector<uint8_t> Bytes(size_t total_bytes) const {
    std::vector<uint8_t> out(total_bytes, 0);
    for (size_t i = 0; i < bits_.size() && i / 8 < total_bytes; ++i)
      if (bits_[i]) out[i / 8] |= static_cast<uint8_t>(0x80 >> (i % 8));
    return out;
  }

 private:
  std::vector<uint8_t> bits_;
};

double ScaleFactor(int index) { return 2.0 * std::exp2(-index / 3.0); }

// The smallest scale factor that still covers `peak`.
int ScaleFactorIndex(double peak) {
  int index = 0;
  while (index < 62 && ScaleFactor(index + 1) >= peak) ++index;
  return index;
}

struct Frame {
  double sample[2][kSlots][kSubbands] = {};
  int alloc[2][kSubbands] = {};
  int scale[2][kSubbands] = {};
};

// Greedy allocation: give one more bit to the subband whose level stands highest above its
// quantisation noise, while the frame has room.
void Allocate(const Options& o, Frame& f, int available_bits) {
  double level[2][kSubbands];
  for (int ch = 0; ch < o.channels; ++ch)
    for (int sb = 0; sb < kSubbands; ++sb) {
      double peak = 0;
      for (int s = 0; s < kSlots; ++s) peak = std::max(peak, std::fabs(f.sample[ch][s][sb]));
      f.scale[ch][sb] = ScaleFactorIndex(peak);
      level[ch][sb] = peak > 1e-5 ? 20 * std::log10(peak) : -1000;
    }
  // Bits that one more allocation step costs: the first brings the scale factors and 2 bits a
  // sample, every further one a bit a sample.
  const auto cost = [&](int alloc, bool shared) {
    return alloc == 0 ? 6 * (shared ? o.channels : 1) + 2 * kSlots : kSlots;
  };
  int used = 0;
  for (;;) {
    int best_ch = -1, best_sb = -1;
    double best = 10;  // Subbands more than 10 dB under one step are not worth bits.
    for (int sb = 0; sb < o.max_subbands; ++sb) {
      const bool shared = sb >= o.bound;
      for (int ch = 0; ch < (shared ? 1 : o.channels); ++ch) {
        const int a = f.alloc[ch][sb];
        if (a == 14) continue;
        const double l = shared ? std::max(level[0][sb], level[1][sb]) : level[ch][sb];
        const double margin = l + 96 - 6.02 * (a == 0 ? 0 : a + 1);
        if (margin > best && used + cost(a, shared) <= available_bits)
          best = margin, best_ch = ch, best_sb = sb;
      }
    }
    if (best_ch < 0) break;
    const bool shared = best_sb >= o.bound;
    used += cost(f.alloc[best_ch][best_sb]++, shared);
    if (shared) f.alloc[1][best_sb] = f.alloc[0][best_sb];
  }
}

uint32_t Quantise(double normalised, int alloc) {
  const int bits = alloc + 1;
  const double levels = (1 << bits) - 1;
  const long code = std::lround(normalised * levels / 2 + ((1 << alloc) - 1));
  return static_cast<uint32_t>(std::clamp<long>(code, 0, (1L << bits) - 2));
}

void WriteFrame(const Options& o, Frame& f, int padding, size_t frame_bytes, int bitrate_index,
                int rate_index, bool mpeg1, std::ostream& out) {
  const int header_bits = 32 + (o.crc ? 16 : 0);
  int alloc_bits = 0;
  for (int sb = 0; sb < kSubbands; ++sb) alloc_bits += 4 * (sb < o.bound ? o.channels : 1);
  Allocate(o, f, static_cast<int>(frame_bytes * 8) - header_bits - alloc_bits);

  BitWriter w;
  w.Put(0xFFF, 12);
  w.Put(mpeg1 ? 1 : 0, 1);
  w.Put(3, 2);  // Layer I
  w.Put(o.crc ? 0 : 1, 1);
  w.Put(bitrate_index, 4);
  w.Put(rate_index, 2);
  w.Put(padding, 1);
  w.Put(0, 1);
  w.Put(o.mode, 2);
  w.Put(o.mode_extension, 2);
  w.Put(0, 1);
  w.Put(1, 1);  // original
  w.Put(0, 2);
  const size_t crc_at = w.Position();
  if (o.crc) w.Put(0, 16);
  for (int sb = 0; sb < kSubbands; ++sb)
    for (int ch = 0; ch < (sb < o.bound ? o.channels : 1); ++ch) w.Put(f.alloc[ch][sb], 4);
  // The check word covers the last 16 header bits and the allocation after it.
  if (o.crc) w.Set(crc_at, w.Crc({{16, 32}, {crc_at + 16, w.Position()}}), 16);
  for (int sb = 0; sb < kSubbands; ++sb)
    for (int ch = 0; ch < o.channels; ++ch)
      if (f.alloc[ch][sb] != 0) w.Put(f.scale[ch][sb], 6);
  for (int s = 0; s < kSlots; ++s)
    for (int sb = 0; sb < kSubbands; ++sb) {
      if (sb < o.bound) {
        for (int ch = 0; ch < o.channels; ++ch)
          if (const int a = f.alloc[ch][sb]; a != 0)
            w.Put(Quantise(f.sample[ch][s][sb] / ScaleFactor(f.scale[ch][sb]), a), a + 1);
      } else if (const int a = f.alloc[0][sb]; a != 0) {
        const double mean = (f.sample[0][s][sb] / ScaleFactor(f.scale[0][sb]) +
                             f.sample[1][s][sb] / ScaleFactor(f.scale[1][sb])) /
                            2;
        w.Put(Quantise(mean, a), a + 1);
      }
    }
  const std::vector<uint8_t> bytes = w.Bytes(frame_bytes);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

Options ParseOptions(int argc, char** argv) {
  if (argc < 5) Fail("usage: layer1-encoder WINDOW_FILE RATE MODE KBPS [--crc] [--max-subbands N]");
  Options o;
  o.rate = std::atoi(argv[2]);
  const std::string mode = argv[3];
  if (mode == "stereo") {
    o.mode = 0;
  } else if (mode == "dual") {
    o.mode = 2;
  } else if (mode == "mono") {
    o.mode = 3, o.channels = 1;
  } else if (mode.rfind("joint", 0) == 0) {
    o.mode = 1;
    o.bound = std::atoi(mode.c_str() + 5);
    if (o.bound % 4 != 0 || o.bound < 4 || o.bound > 16) Fail("joint bound must be 4, 8, 12 or 16");
    o.mode_extension = o.bound / 4 - 1;
  } else {
    Fail("unknown mode " + mode);
  }
  o.kbps = std::atoi(argv[4]);
  for (int i = 5; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--crc") {
      o.crc = true;
    } else if (arg == "--max-subbands" && i + 1 < argc) {
      o.max_subbands = std::clamp(std::atoi(argv[++i]), 1, kSubbands);
    } else {
      Fail("unknown option " + arg);
    }
  }
  return o;
}

}  // namespace

int main(int argc, char** argv) {
  const Options o = ParseOptions(argc, argv);
  const std::vector<double> window = ReadAnalysisWindow(argv[1]);
  static const int kRates[2][3] = {{22050, 24000, 16000}, {44100, 48000, 32000}};
  static const int kKbps[2][15] = {
      {0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
      {0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448}};
  int version = -1, rate_index = -1, bitrate_index = -1;
  for (int v = 0; v < 2; ++v)
    for (int r = 0; r < 3; ++r)
      if (kRates[v][r] == o.rate) version = v, rate_index = r;
  if (version < 0) Fail("unsupported sampling rate");
  for (int b = 1; b < 15; ++b)
    if (kKbps[version][b] == o.kbps) bitrate_index = b;
  if (bitrate_index < 0) Fail("unsupported bit rate");

  const std::string input((std::istreambuf_iterator<char>(std::cin)),
                          std::istreambuf_iterator<char>());
  const size_t frames_in = input.size() / 2 / o.channels;
  Analysis analysis[2] = {Analysis(window), Analysis(window)};
  // Slots of 4 bytes per frame: 12 * bit rate / rate, the fraction carried by padding.
  const long slot_numerator = 12L * o.kbps * 1000;
  long remainder = 0;
  std::cout.sync_with_stdio(false);
  for (size_t start = 0; start < frames_in + 480; start += kSlots * kSubbands) {
    Frame f;
    for (int s = 0; s < kSlots; ++s)
      for (int ch = 0; ch < o.channels; ++ch) {
        double pcm[32];
        for (int i = 0; i < 32; ++i) {
          const size_t n = start + s * 32 + i;
          int16_t v = 0;
          if (n < frames_in) std::memcpy(&v, input.data() + (n * o.channels + ch) * 2, 2);
          pcm[i] = v / 32768.0;
        }
        analysis[ch].Run(pcm, f.sample[ch][s]);
      }
    remainder += slot_numerator % o.rate;
    int padding = 0;
    if (remainder >= o.rate) remainder -= o.rate, padding = 1;
    const size_t frame_bytes = static_cast<size_t>(slot_numerator / o.rate + padding) * 4;
    WriteFrame(o, f, padding, frame_bytes, bitrate_index, rate_index, version == 1, std::cout);
  }
  return 0;
}
