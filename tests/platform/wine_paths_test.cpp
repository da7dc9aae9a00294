#include "platform/wine_paths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "tests/platform/scoped_env.h"
#include "tests/platform/temp_dir.h"

namespace {

#ifndef _WIN32  // A Wine prefix is only ever read from outside Wine.
TEST(WinePathsTest, DrivePathsGoThroughThePrefixDriveLinks) {
  TTempDir prefix;
  TTempDir music;
  std::filesystem::create_directories(prefix / "drive_c");
  std::filesystem::create_directories(prefix / "dosdevices");
  TEnv wine("WINEPREFIX", prefix.path().c_str());
  // Before Wine made its links, C: is still the prefix's own drive_c.
  EXPECT_EQ(WindowsPathToLocal("C:\\Music\\a.mp3"), prefix.path() + "/drive_c/Music/a.mp3");
  EXPECT_EQ(WindowsPathToLocal("D:\\Music\\a.mp3"), std::nullopt);

  std::filesystem::create_directory_symlink(music.path(), prefix / "dosdevices/c:");
  std::filesystem::create_directory_symlink("/", prefix / "dosdevices/z:");
  WriteBytes(music / "曲.mp3", "x");
  const auto c = WindowsPathToLocal("c:\\曲.mp3");
  ASSERT_TRUE(c);
  EXPECT_EQ(*c, prefix.path() + "/dosdevices/c:/曲.mp3");
  EXPECT_EQ(ReadBytes(*c), "x");
  std::string windowsPath = "Z:" + music.path() + "/曲.mp3";
  std::replace(windowsPath.begin(), windowsPath.end(), '/', '\\');
  const auto z = WindowsPathToLocal(windowsPath);
  ASSERT_TRUE(z);
  EXPECT_EQ(ReadBytes(*z), "x");
}
#endif

TEST(WinePathsTest, PathsWithoutADriveStayAsTheyAre) {
  for (const char* path :
       {"/home/a/b.mp3", "relative\\b.mp3", "C:b.mp3", "\\\\server\\b.mp3", ""}) {
    EXPECT_EQ(WindowsPathToLocal(path), std::nullopt) << path;
  }
}

}  // namespace
