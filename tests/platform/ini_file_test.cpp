#include "platform/ini_file.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "platform/files.h"
#include "tests/platform/temp_dir.h"

namespace {

TEST(IniFileTest, MissingFileSectionOrKeyGivesTheDefault) {
  TTempDir dir;
  TIniFile ini(dir / "korva.ini");
  EXPECT_EQ(ini.ReadInteger("DEFAULT", "Volume", 70), 70);
  WriteBytes(dir / "korva.ini", "[DEFAULT]\r\nVolume=abc\r\nLeft= 12 \r\n");
  EXPECT_EQ(ini.ReadInteger("DEFAULT", "Volume", 70), 70);
  EXPECT_EQ(ini.ReadInteger("default", "LEFT", 0), 12);
  EXPECT_EQ(ini.ReadInteger("Other", "Left", 5), 5);
  EXPECT_EQ(ini.ReadString("DEFAULT", "Top", "none"), "none");
#ifndef _WIN32
  // A named pipe or a link to a device in its place reads as a missing file, at once.
  std::filesystem::remove(dir / "korva.ini");
  ASSERT_EQ(mkfifo((dir / "korva.ini").c_str(), 0644), 0);
  EXPECT_EQ(ini.ReadInteger("DEFAULT", "Volume", 70), 70);
  TIniFile zero(dir / "korva.dat");
  std::filesystem::create_symlink("/dev/zero", dir / "korva.dat");
  EXPECT_EQ(zero.ReadString("DEFAULT", "0", "none"), "none");
#endif
}

TEST(IniFileTest, WritingAKeyKeepsEverythingElseInOrder) {
  TTempDir dir;
  const std::string path = dir / "korva.ini";
  WriteBytes(path, "; settings\r\n[First]\r\nA=1\r\nB=2\r\n\r\n[DEFAULT]\r\nVolume=10\r\n");
  TIniFile ini(path);
  ini.WriteInteger("default", "volume", 55);
  ini.WriteString("First", "C", "曲");
  ini.WriteString("New", "K", "v");
  EXPECT_EQ(ReadBytes(path),
            "; settings\r\n[First]\r\nA=1\r\nB=2\r\nC=\x8B\xC8\r\n\r\n[DEFAULT]\r\nvolume=55\r\n"
            "[New]\r\nK=v\r\n");
  EXPECT_EQ(ini.ReadString("FIRST", "c", ""), "曲");
  EXPECT_EQ(ini.ReadInteger("DEFAULT", "Volume", 0), 55);
}

TEST(IniFileTest, ScenesLabelsWithQuotesAndBlanks) {
  TTempDir dir;
  WriteBytes(dir / "korva.dat", "[DEFAULT]\r\n0=\"  戦闘  \"\r\n1 = 街\r\n");
  TIniFile labels(dir / "korva.dat");
  EXPECT_EQ(labels.ReadString("DEFAULT", "0", ""), "  戦闘  ");
  EXPECT_EQ(labels.ReadString("DEFAULT", "1", ""), "街");
}

TEST(IniFileTest, FailedWriteThrowsAndKeepsTheFile) {
  TTempDir dir;
  TIniFile ini(dir / "missing-folder/korva.ini");
  EXPECT_THROW(ini.WriteInteger("DEFAULT", "Volume", 1), TFileError);
}

}  // namespace
