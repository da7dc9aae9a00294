#include "platform/ini_file.h"

#include <gtest/gtest.h>

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
