#include "platform/install_dir.h"

#include <gtest/gtest.h>

#include "tests/platform/scoped_env.h"
#include "tests/platform/temp_dir.h"

namespace {

const std::string kSystemReg = std::string(KORVA_TEST_DATA) + "/system.reg";

TEST(WineRegistryTest, ReadsTheThirtyTwoBitViewFirst) {
  EXPECT_EQ(ReadWineRegistryString(kSystemReg, kGameRegistryKey, kInstallDirValue),
            "C:\\Program Files (x86)\\EA GAMES\\ウルティマ\\");
  EXPECT_EQ(ReadWineRegistryString(kSystemReg, "SOFTWARE\\Other Game", "Install Dir"),
            "D:\\Games\\Other\\");
}

TEST(WineRegistryTest, MissingKeyAndMissingValueDiffer) {
  EXPECT_EQ(ReadWineRegistryString(kSystemReg, "SOFTWARE\\Empty Game", "Install Dir"), "");
  EXPECT_EQ(ReadWineRegistryString(kSystemReg, "SOFTWARE\\No Game", "Install Dir"), std::nullopt);
  EXPECT_EQ(ReadWineRegistryString("/no/such/system.reg", kGameRegistryKey, kInstallDirValue),
            std::nullopt);
}

#ifndef _WIN32  // A Wine prefix is only ever read from outside Wine.
TEST(WineRegistryTest, WindowsPathsMapIntoThePrefix) {
  EXPECT_EQ(WinePathToUnix("/p", "C:\\Games\\UO\\"), "/p/drive_c/Games/UO/");
  EXPECT_EQ(WinePathToUnix("/p", "c:"), "/p/drive_c/");
  EXPECT_EQ(WinePathToUnix("/p", "D:\\x"), "/p/dosdevices/d:/x");
  EXPECT_EQ(WinePathToUnix("/p", "relative\\x"), "relative/x");
}
#endif

// KORVA_INSTALL_DIR and the Wine prefix are how the game is found off Windows; the Windows tests
// cover the registry (tests/platform/windows).
#ifndef _WIN32
TEST(InstallDirTest, EnvironmentFirstThenWinePrefix) {
  TTempDir prefix;
  TEnv wine("WINEPREFIX", prefix.path().c_str());
  {
    TEnv dir("KORVA_INSTALL_DIR", "/games/uo/");
    EXPECT_EQ(ReadGameInstallDir(), "/games/uo/");
  }
  TEnv dir("KORVA_INSTALL_DIR", nullptr);
  EXPECT_EQ(ReadGameInstallDir(), std::nullopt);
  WriteBytes(prefix / "system.reg", ReadBytes(kSystemReg));
  EXPECT_EQ(ReadGameInstallDir(),
            prefix.path() + "/drive_c/Program Files (x86)/EA GAMES/ウルティマ/");
}
#endif

}  // namespace
