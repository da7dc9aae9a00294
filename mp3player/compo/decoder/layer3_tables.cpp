// Layer III tables computed at initialisation: gains, powers, alias butterflies, intensity
// factors, IMDCT windows and cosines.
#include <cmath>
#include <numbers>

#include "mp3player/compo/decoder/layer3.h"
#include "mp3player/compo/decoder/layer3_huffman.h"
#include "mp3player/compo/decoder/tables_data.h"

TMPLayer3Tables MPL3Tables;

namespace {

void BuildGains(TMPLayer3Tables& t) {
  // The global gain is 60 quarter-steps (2^15) above the standard's, so that the spectrum
  // comes out at 16-bit PCM scale.
  for (int32_t i = 0; i < 262; ++i)
    t.global_gain[i] = static_cast<float>(std::exp2((i - 156) / 4.0));
  for (int32_t s = 0; s < 2; ++s) {
    for (int32_t p = 0; p < 4; ++p) {
      for (int32_t k = 0; k < 32; ++k) {
        t.scalefactor[s][p][k] = static_cast<float>(std::exp2(-(s + 1) / 2.0 * (p + k)));
      }
    }
  }
  for (int32_t i = 0; i < 8; ++i) t.subblock_gain[i] = static_cast<float>(std::exp2(-2.0 * i));
  for (int32_t i = 0; i <= 8206; ++i) {
    const float magnitude = static_cast<float>(std::pow(i, 4.0 / 3.0));
    t.power[8206 + i] = magnitude;
    t.power[8206 - i] = -magnitude;
  }
}

void BuildStereo(TMPLayer3Tables& t) {
  for (int32_t j = 0; j < 8; ++j) {
    const double c = kMPAliasCoefficients[j];
    t.alias_cs[j] = static_cast<float>(1 / std::sqrt(1 + c * c));
    t.alias_ca[j] = static_cast<float>(c / std::sqrt(1 + c * c));
  }
  // With M/S the left channel carries the 1/sqrt(2) folded into the gain, which the intensity
  // factors undo.
  for (int32_t ms = 0; ms < 2; ++ms) {
    const double scale = ms ? std::sqrt(2.0) : 1.0;
    for (int32_t i = 0; i < 7; ++i) {
      const double sn = std::sin(i * std::numbers::pi / 12),
                   cs = std::cos(i * std::numbers::pi / 12);
      t.intensity1[ms][i][0] = static_cast<float>(sn / (sn + cs) * scale);
      t.intensity1[ms][i][1] = static_cast<float>(cs / (sn + cs) * scale);
    }
    t.intensity1[ms][7][0] = 1;
    t.intensity1[ms][7][1] = ms ? 1 : 0;
    for (int32_t scale_bit = 0; scale_bit < 2; ++scale_bit) {
      const double io = scale_bit ? std::sqrt(0.5) : std::pow(2.0, -0.25);
      for (int32_t p = 0; p < 64; ++p) {
        double left = 1, right = 1;
        if (p & 1) {
          left = std::pow(io, (p + 1) / 2);
        } else {
          right = std::pow(io, p / 2);
        }
        t.intensity2[scale_bit][ms][p][0] = static_cast<float>(left * scale);
        t.intensity2[scale_bit][ms][p][1] = static_cast<float>(right * scale);
      }
    }
  }
}

// The 36-point IMDCT of each long window as one matrix: output i of line k is the window's
// entry i times the cosine the IMDCT arrangement puts there (see MPImdct36Finish). Columns 0..15
// hold outputs 0..15, 16..31 outputs 18..33 (the new overlap), 32..35 outputs 16, 17, 34, 35.
void BuildWindowedImdct(TMPLayer3Tables& t) {
  static constexpr int32_t kOutputs[36] = {0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11,
                                           12, 13, 14, 15, 18, 19, 20, 21, 22, 23, 24, 25,
                                           26, 27, 28, 29, 30, 31, 32, 33, 16, 17, 34, 35};
  for (int32_t w = 0; w < 4; ++w) {
    for (int32_t k = 0; k < 18; ++k) {
      for (int32_t c = 0; c < 40; ++c) {
        if (c >= 36) {
          t.imdct36_windowed[w][k][c] = 0;
          continue;
        }
        const int32_t i = kOutputs[c];
        const int32_t n = i < 9 ? i + 9 : i < 27 ? 26 - i : i - 27;
        t.imdct36_windowed[w][k][c] = static_cast<float>(
            t.imdct_window[w][i] * std::cos(std::numbers::pi / 72 * (2 * n + 1) * (2 * k + 1)));
      }
    }
  }
}

// The standard's windows, with the signs that the IMDCT's output arrangement leaves out folded
// in: entries 9..35 of the long windows and 3..11 of the short window are negated.
void BuildImdct(TMPLayer3Tables& t) {
  for (int32_t i = 0; i < 36; ++i) {
    const double long_w = std::sin(std::numbers::pi / 36 * (i + 0.5));
    t.imdct_window[0][i] = static_cast<float>(long_w);
    double start = long_w;
    if (i >= 18 && i < 24) start = 1;
    if (i >= 24 && i < 30) start = std::sin(std::numbers::pi / 12 * (i - 18 + 0.5));
    if (i >= 30) start = 0;
    t.imdct_window[1][i] = static_cast<float>(start);
    double stop = long_w;
    if (i < 6) stop = 0;
    if (i >= 6 && i < 12) stop = std::sin(std::numbers::pi / 12 * (i - 6 + 0.5));
    if (i >= 12 && i < 18) stop = 1;
    t.imdct_window[3][i] = static_cast<float>(stop);
    t.imdct_window[2][i] =
        i < 12 ? static_cast<float>(std::sin(std::numbers::pi / 12 * (i + 0.5))) : 0;
  }
  for (int32_t i = 9; i < 36; ++i) {
    t.imdct_window[0][i] = -t.imdct_window[0][i];
    t.imdct_window[1][i] = -t.imdct_window[1][i];
    t.imdct_window[3][i] = -t.imdct_window[3][i];
  }
  for (int32_t i = 3; i < 12; ++i) t.imdct_window[2][i] = -t.imdct_window[2][i];
  for (int32_t k = 0; k < 18; ++k) {
    for (int32_t n = 0; n < 24; ++n) {
      t.cos36[k][n] =
          n < 18 ? static_cast<float>(std::cos(std::numbers::pi / 72 * (2 * n + 1) * (2 * k + 1)))
                 : 0;
    }
  }
  BuildWindowedImdct(t);
  for (int32_t k = 0; k < 6; ++k) {
    for (int32_t n = 0; n < 8; ++n) {
      t.cos12[k][n] =
          n < 6 ? static_cast<float>(std::cos(std::numbers::pi / 24 * (2 * n + 1) * (2 * k + 1)))
                : 0;
    }
  }
}

}  // namespace

void MPLayer3BuildTables() {
  // The tables depend on nothing but the standard: build them once.
  static bool built = false;
  if (built) return;
  built = true;
  BuildGains(MPL3Tables);
  BuildStereo(MPL3Tables);
  BuildImdct(MPL3Tables);
  MPLayer3BuildHuffman();
}
