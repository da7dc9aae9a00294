// The equalizer: band frequencies, and the gains it gives the decoder for each mode and layer.
#include <gtest/gtest.h>

#include "mp3player/compo/decoder/decoder.h"
#include "tests/mp3player/compo/player/player_fixture.h"

namespace {

using Equalizer = PlayerFixture;

std::vector<int> Frequencies(const TMP3Player& player) {
  std::vector<int> result;
  for (int i = 0; i < player.EqualizerCount(); ++i) result.push_back(player.BandFrequency(i));
  return result;
}

TEST_F(Equalizer, FrequencyRangeSpreadsTheBandsInFrequencyModeOnly) {
  player.SetFrequencyRange(60, 16000);
  EXPECT_EQ(Frequencies(player), std::vector<int>(6, 0));
  player.SetEqualizerMode(memFreq);
  player.SetFrequencyRange(60, 16000);
  const std::vector<int> spread{60, 183, 560, 1712, 5234, 16000};
  EXPECT_EQ(Frequencies(player), spread);
  player.SetFrequencyRange(0, 16000);
  player.SetFrequencyRange(500, 400);
  player.SetFrequencyRange(60, 24001);
  EXPECT_EQ(Frequencies(player), spread);
}

TEST_F(Equalizer, SubbandModeFillsTheGainsAlsoWhenDisabled) {
  player.SetBand(3, 100);
  player.SetFileName(CompoData("plain.mp3"));
  dispatcher.RunPending();
  EXPECT_FLOAT_EQ(*MPSubbandGain(3), 10.0f);
  EXPECT_FLOAT_EQ(*MPSubbandGain(4), 1.0f);
  EXPECT_EQ(*MPSubbandEqEnabled(), 0);
  EXPECT_EQ(*MPFreqEqEnabled(), 0);
  EXPECT_EQ(player.BandFrequency(0), 345);  // 44100 / 64 / 2, rounded.
  player.SetEqualizerEnabled(true);
  dispatcher.RunPending();
  EXPECT_EQ(*MPSubbandEqEnabled(), 1);
}

// Layer II has no frequency lines and is equalized on its subbands; Layer III on its lines.
TEST_F(Equalizer, FrequencyModeUsesLinesForLayer3AndSubbandsOtherwise) {
  player.SetEqualizerMode(memFreq);
  player.SetEqualizerEnabled(true);
  player.SetFrequencyRange(60, 16000);
  player.SetBand(0, 100);
  player.SetBand(5, -100);
  player.SetFileName(CompoData("layer2.mp3"));  // 48 kHz: subband 0 is centred at 375 Hz.
  dispatcher.RunPending();
  EXPECT_EQ(*MPSubbandEqEnabled(), 1);
  EXPECT_EQ(*MPFreqEqEnabled(), 0);
  EXPECT_FLOAT_EQ(*MPSubbandGain(0), 1.0f);  // Nearest to 560 Hz, band 2.
  EXPECT_FLOAT_EQ(*MPSubbandGain(31), 0.1f);

  player.SetFileName(CompoData("plain.mp3"));
  dispatcher.RunPending();
  EXPECT_EQ(*MPSubbandEqEnabled(), 0);
  EXPECT_EQ(*MPFreqEqEnabled(), 1);
  EXPECT_FLOAT_EQ(*MPFreqGain(0), 10.0f);
  EXPECT_FLOAT_EQ(*MPFreqGain(575), 0.1f);

  // Line 4 lies at 172 Hz, an octave from both 86 and 344 Hz: the lower band wins.
  player.SetBandFrequency(0, 344);
  player.SetBandFrequency(1, 86);
  player.SetBand(1, 50);
  dispatcher.RunPending();
  EXPECT_FLOAT_EQ(*MPFreqGain(4), 10.0f);
  player.SetEqualizerEnabled(false);
  dispatcher.RunPending();
  EXPECT_EQ(*MPFreqEqEnabled(), 0);
}

}  // namespace
