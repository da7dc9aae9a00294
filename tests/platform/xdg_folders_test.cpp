#include "platform/data_folders.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/platform/scoped_env.h"
#include "tests/platform/temp_dir.h"

// The XDG folders are where the person's data lives off Windows; the Windows form has tests of its
// own (tests/platform/windows).
#ifndef _WIN32
namespace {

namespace fs = std::filesystem;

bool IsPrivateFolder(const std::string& path) {
  return fs::is_directory(path) &&
         (fs::status(path).permissions() & fs::perms::all) == fs::perms::owner_all;
}

TEST(DataFoldersTest, FollowTheVariablesAndAreCreatedPrivate) {
  TTempDir root;
  TEnv home("HOME", (root / "home").c_str());
  TEnv korva("KORVA_DATA_DIR", nullptr);
  TEnv data("XDG_DATA_HOME", nullptr);
  TEnv config("XDG_CONFIG_HOME", nullptr);
  EXPECT_EQ(UserDataFolder(), root / "home/.local/share/korva/");
  EXPECT_EQ(UserSettingsFolder(), root / "home/.config/korva/");
  EXPECT_TRUE(IsPrivateFolder(root / "home/.local/share/korva"));
  EXPECT_TRUE(IsPrivateFolder(root / "home/.config"));

  {
    TEnv xdgData("XDG_DATA_HOME", (root / "data").c_str());
    TEnv xdgConfig("XDG_CONFIG_HOME", (root / "config/").c_str());
    EXPECT_EQ(UserDataFolder(), root / "data/korva/");
    EXPECT_EQ(UserSettingsFolder(), root / "config/korva/");
    EXPECT_TRUE(IsPrivateFolder(root / "config/korva"));
  }
  {
    // The XDG rules make a relative base folder invalid, so it falls back to the default.
    TEnv relative("XDG_DATA_HOME", "relative");
    EXPECT_EQ(UserDataFolder(), root / "home/.local/share/korva/");
  }

  TEnv portable("KORVA_DATA_DIR", (root / "portable").c_str());
  TEnv xdgData("XDG_DATA_HOME", (root / "data").c_str());
  EXPECT_EQ(UserDataFolder(), root / "portable/");
  EXPECT_EQ(UserSettingsFolder(), root / "portable/");
  EXPECT_TRUE(fs::is_directory(root / "portable"));
}

}  // namespace
#endif
