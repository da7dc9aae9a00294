#include <gtest/gtest.h>

#include <random>

#include "app/config/game_table.h"
#include "app/config/korva_config.h"
#include "platform/ini_file.h"
#include "platform/install_dir.h"
#include "tests/platform/temp_dir.h"

namespace {

// Random bytes weighted towards the characters the readers treat specially, so that the odd
// combinations (quotes at the end, lone lead bytes, markers without numbers) come up often.
std::string RandomText(std::mt19937& random, std::size_t length) {
  static const std::string kSpecial = "\"\\,; \t\r\n#:=[]x0123456789\x81\x95\x5C\xEF\xBB\xBF\xFF";
  static const std::vector<std::string> kWords{
      "#EXTM3U\n#KORVA\n",      "#KORVANUM:",      "#EXTINF:", "loop",
      "[Software\\\\EA GAMES]", "\"Install Dir\"="};
  std::string text;
  while (text.size() < length) {
    const unsigned pick = random() % 10;
    if (pick < 2) {
      text += kWords[random() % kWords.size()];
    } else if (pick < 6) {
      text += kSpecial[random() % kSpecial.size()];
    } else {
      text += static_cast<char>(random() % 256);
    }
  }
  return text;
}

// The readers of every text file Korva takes from outside must cope with anything: no crash, no
// out-of-bounds access (the sanitizer build checks), no exception for content.
TEST(GarbageInputTest, ReadersAcceptAnyBytes) {
  TTempDir dir;
  const std::string path = dir / "file";
  std::mt19937 random(20261208);
  for (int round = 0; round < 300; ++round) {
    WriteBytes(path, RandomText(random, random() % 400));
    TKorvaConfig config;
    EXPECT_NO_THROW(config.LoadFromPlaylist(path));
    EXPECT_NO_THROW(config.LoadFromGameTable(path));
    for (int i = 0; i < config.Count(); ++i) EXPECT_NE(config.Items(i).FileName, "");
    EXPECT_NO_THROW(TIniFile(path).ReadString("DEFAULT", "0", ""));
    EXPECT_NO_THROW(ReadWineRegistryString(path, kGameRegistryKey, kInstallDirValue));
  }
}

}  // namespace
