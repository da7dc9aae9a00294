// Random operations from the user-interface thread while short real files play, for the thread
// sanitizer: no race, no deadlock, no error, and every play ends once.
#include <gtest/gtest.h>

#include <random>

#include "tests/mp3player/compo/player/player_fixture.h"

namespace {

class PlayerStress : public PlayerFixture {
 protected:
  void RandomOperation() {
    switch (random_() % 10) {
      case 0:
      case 1:
        player.Play();
        break;
      case 2:
        player.Stop();
        break;
      case 3:
      case 4:
        player.Seek(static_cast<int64_t>(random_() % 4000));
        break;
      case 5:
        player.SetVolume(static_cast<int>(random_() % 101));
        player.SetVolBalance(static_cast<int>(random_() % 201) - 100);
        break;
      case 6:
        player.SetEqualizerEnabled(random_() % 2 == 0);
        player.SetBand(static_cast<int>(random_() % 32), static_cast<int>(random_() % 200) - 100);
        break;
      case 7:
        player.SetEqualizerMode(random_() % 2 == 0 ? memFreq : memSubBand);
        player.SetFrequencyRange(60, 16000);
        break;
      case 8:
        player.SetInvertPolarity(random_() % 2 == 0);
        player.Position();
        break;
      default:
        if (random_() % 10 == 0) player.SetFileName(kFiles[random_() % 3]);
        break;
    }
  }

  const std::string kFiles[3] = {CompoData("plain.mp3"), CompoData("layer2.mp3"),
                                 PlayerData("tone3s.mp3")};
  std::mt19937 random_{20261209};
};

TEST_F(PlayerStress, TenThousandRandomOperations) {
  player.SetFileName(kFiles[0]);
  int plays = 0;
  for (int i = 0; i < 10000; ++i) {
    const bool wasPlaying = player.Status() == mpsPlaying;
    RandomOperation();
    if (!wasPlaying && player.Status() == mpsPlaying) ++plays;
    dispatcher.RunPending();
  }
  player.Stop();
  ASSERT_TRUE(PumpUntil([&] { return reasons.size() == static_cast<size_t>(plays); }));
  EXPECT_TRUE(messages.empty()) << messages.front();
  EXPECT_GT(plays, 100);
}

}  // namespace
