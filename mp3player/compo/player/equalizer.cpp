// The equalizer: band values and centre frequencies turned into the decoder's gain tables, either
// one gain per subband or, for Layer III, one per frequency line, each taken from the band
// nearest to it on a logarithmic scale.
#include <algorithm>
#include <cmath>

#include "mp3player/compo/assertion.h"
#include "mp3player/compo/decoder/decoder.h"
#include "mp3player/compo/player/mp3_player.h"
#include "mp3player/compo/player/player_notices.h"

namespace {

constexpr int kSubbands = 32;
constexpr int kLines = 576;
constexpr int kHighestFrequency = 24000;

// Nearest integer, halves to even (the default rounding mode).
int RoundToInt(long double value) { return static_cast<int>(std::nearbyint(value)); }

int SubbandCentre(int sampleRate, int subband) {
  MP_ASSERT(sampleRate > 0 && subband >= 0 && subband < kSubbands);
  return RoundToInt(static_cast<long double>(sampleRate) / 64 * (subband + 0.5L));
}

int LineCentre(int sampleRate, int line) {
  MP_ASSERT(sampleRate > 0 && line >= 0 && line < kLines);
  return RoundToInt(static_cast<long double>(sampleRate) / 1152 * (line + 0.5L));
}

// A band value in hundredths of a decade as a linear gain.
float Gain(int band) { return static_cast<float>(std::pow(10.0, band / 100.0)); }

// The band whose frequency is nearest to `centre` as a ratio; of two equally near bands the
// lower one.
int NearestBand(const int* frequencies, int count, int centre) {
  const float target = static_cast<float>(std::max(centre, 1));
  float best = 2147483648.0f;
  int nearest = 0;
  for (int j = 0; j < count; ++j) {
    float ratio = static_cast<float>(std::max(frequencies[j], 1)) / target;
    if (ratio < 1.0f) ratio = 1.0f / ratio;
    if (ratio < best) {
      best = ratio;
      nearest = j;
    }
  }
  return nearest;
}

}  // namespace

void TMP3Player::SetEqualizerEnabled(bool value) {
  if (value == eqEnabled_) return;
  eqEnabled_ = value;
  PostOnce(MPM_EQUALIZER);
}

void TMP3Player::SetEqualizerMode(TMP3EqualizerMode value) {
  if (value == eqMode_ || (value != memSubBand && value != memFreq)) return;
  eqMode_ = value;
  PostOnce(MPM_EQUALIZER);
}

// The band tables hold 32 entries: a count beyond them is ignored like one below 1.
void TMP3Player::SetEqualizerCount(int value) {
  if (value <= 0 || value > kBandCount || value == eqCount_) return;
  eqCount_ = value;
  PostOnce(MPM_EQUALIZER);
}

int TMP3Player::Band(int index) const {
  return index >= 0 && index < kBandCount ? bands_[index] : 0;
}

void TMP3Player::SetBand(int index, int value) {
  if (index < 0 || index >= kBandCount) return;
  bands_[index] = value;
  PostOnce(MPM_EQUALIZER);
}

int TMP3Player::BandFrequency(int index) const {
  return index >= 0 && index < kBandCount ? bandFrequencies_[index] : 0;
}

void TMP3Player::SetBandFrequency(int index, int value) {
  if (index < 0 || index >= kBandCount) return;
  bandFrequencies_[index] = value;
  PostOnce(MPM_EQUALIZER);
}

// Each band takes one equal step, on a logarithmic scale, of what remains from the previous
// (rounded) band to `high`, so that rounding errors do not add up.
void TMP3Player::SetFrequencyRange(int low, int high) {
  if (eqMode_ != memFreq || low < 1 || low > high || high > kHighestFrequency) return;
  bandFrequencies_[0] = low;
  for (int i = 1; i <= eqCount_ - 2; ++i) {
    const long double previous = bandFrequencies_[i - 1];
    bandFrequencies_[i] = RoundToInt(previous * std::pow(high / previous, 1.0L / (eqCount_ - i)));
    MP_ASSERT(bandFrequencies_[i] >= bandFrequencies_[i - 1]);
  }
  bandFrequencies_[eqCount_ - 1] = high;
  PostOnce(MPM_EQUALIZER);
}

// The decoding thread reads the tables while they are written; each entry changes in one store.
void TMP3Player::ApplyEqualizer() {
  if (eqMode_ == memSubBand) {
    *MPSubbandEqEnabled() = eqEnabled_ ? 1 : 0;
    *MPFreqEqEnabled() = 0;
    for (int i = 0; i < kSubbands; ++i) *MPSubbandGain(i) = Gain(bands_[i]);
    if (sampleRate_ >= 1) {
      for (int i = 0; i < kSubbands; ++i) bandFrequencies_[i] = SubbandCentre(sampleRate_, i);
    }
    return;
  }
  // Layers I and II have no frequency lines: they are equalized on their subbands.
  const bool lines = layer_ == 3;
  *MPSubbandEqEnabled() = !lines && eqEnabled_ ? 1 : 0;
  *MPFreqEqEnabled() = lines && eqEnabled_ ? 1 : 0;
  if (!eqEnabled_) return;
  const int targets = lines ? kLines : kSubbands;
  for (int t = 0; t < targets; ++t) {
    const int centre = lines ? LineCentre(sampleRate_, t) : SubbandCentre(sampleRate_, t);
    const float gain = Gain(bands_[NearestBand(bandFrequencies_.data(), eqCount_, centre)]);
    if (lines) {
      *MPFreqGain(t) = gain;
    } else {
      *MPSubbandGain(t) = gain;
    }
  }
}
