// The game's install folder through the registry, written the way an installer does with the
// system's own reg.exe (what `wine reg add` runs).
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/install_dir.h"
#include "platform/windows/wide.h"

namespace {

const std::string kKey = std::string("HKLM\\") + kGameRegistryKey;

// Runs reg.exe with the arguments in one registry view ("32" or "64"); answers its exit status.
int Reg(const std::string& arguments, const char* view) {
  const std::string line = "reg " + arguments + " /reg:" + view + " >NUL 2>NUL";
  return _wsystem(Widen(line).c_str());
}

class RegistryTest : public ::testing::Test {
 protected:
  void TearDown() override {
    Reg("delete \"" + kKey + "\" /f", "32");
    Reg("delete \"" + kKey + "\" /f", "64");
  }
};

TEST_F(RegistryTest, InstallDirComesFromTheThirtyTwoBitView) {
  EXPECT_EQ(ReadGameInstallDir(), std::nullopt);

  // The 64-bit view is where a 64-bit program would look by default; the game never writes it.
  ASSERT_EQ(Reg("add \"" + kKey + "\" /v \"Install Dir\" /d \"D:\\wrong\\\\\" /f", "64"), 0);
  EXPECT_EQ(ReadGameInstallDir(), std::nullopt);

  ASSERT_EQ(Reg("add \"" + kKey + "\" /f", "32"), 0);
  EXPECT_EQ(ReadGameInstallDir(), "");  // the key without the value

  ASSERT_EQ(
      Reg("add \"" + kKey + "\" /v \"Install Dir\" /d \"C:\\Games\\ウルティマ\\\\\" /f", "32"), 0);
  EXPECT_EQ(ReadGameInstallDir(), "C:\\Games\\ウルティマ\\");
}

}  // namespace
