// The window's settings: defaults without an ini file, the round trip through it, and the rules
// for applying stored values.
#include <gtest/gtest.h>

#include <QHeaderView>
#include <QTreeWidget>
#include <fstream>

#include "app/main.h"
#include "platform/ini_file.h"
#include "tests/app/game_folder.h"

namespace {

class SettingsTest : public testing::Test {
 protected:
  void SetUp() override { game_.WriteTable("0 opening\r\n"); }

  std::unique_ptr<TFormMain> NewForm() { return game_.NewForm(); }
  std::string IniPath() const { return game_.Path("prog/korva.ini"); }

  TGameFolder game_;
};

TEST_F(SettingsTest, WithoutAnIniFileColumnsGetTheirDefaultWidths) {
  auto form = NewForm();
  const int ppi = form->PixelsPerInch();
  const QTreeWidget* files = form->ListViewFiles;
  EXPECT_EQ(files->columnWidth(0), 2 * ppi);
  for (int column : {1, 2, 3, 7}) EXPECT_EQ(files->columnWidth(column), ppi) << column;
  // kBit, Hz and チャンネル keep their designed width until the user resizes them.
  for (int column : {4, 5, 6}) EXPECT_EQ(files->columnWidth(column), 40) << column;
  const QTreeWidget* config = form->ListViewConfig;
  for (int column : {0, 2, 3, 4}) EXPECT_EQ(config->columnWidth(column), ppi) << column;
  EXPECT_EQ(config->columnWidth(1), static_cast<int>(std::lround(ppi / 2.3)));
  EXPECT_EQ(form->Settings().Volume, 0);
}

TEST_F(SettingsTest, ClosingWritesEveryKeyAndTheNextStartReadsThemBack) {
  {
    auto form = NewForm();
    form->setGeometry(100, 120, 700, 500);
    form->ListViewFiles->setColumnWidth(0, 211);
    form->ListViewFiles->setColumnWidth(5, 77);
    form->ListViewConfig->setColumnWidth(4, 133);
    form->Mp3Player->SetVolume(40);
    form->close();
  }
  const TIniFile ini(IniPath());
  EXPECT_EQ(ini.ReadInteger("DEFAULT", "Left", -1), 100);
  EXPECT_EQ(ini.ReadInteger("DEFAULT", "Top", -1), 120);
  EXPECT_EQ(ini.ReadInteger("DEFAULT", "Right", -1), 800);
  EXPECT_EQ(ini.ReadInteger("DEFAULT", "Bottom", -1), 620);
  EXPECT_EQ(ini.ReadInteger("DEFAULT", "FileColumnName", -1), 211);
  EXPECT_EQ(ini.ReadInteger("DEFAULT", "FileSampRate", -1), 77);
  EXPECT_EQ(ini.ReadInteger("DEFAULT", "ConfigArtistName", -1), 133);
  EXPECT_EQ(ini.ReadInteger("DEFAULT", "Volume", -1), 40) << "the player's volume";

  auto form = NewForm();
  EXPECT_EQ(form->geometry(), QRect(100, 120, 700, 500));
  EXPECT_EQ(form->ListViewFiles->columnWidth(0), 211);
  EXPECT_EQ(form->ListViewFiles->columnWidth(5), 77);
  EXPECT_EQ(form->ListViewConfig->columnWidth(4), 133);
  EXPECT_EQ(form->Mp3Player->Volume(), 40);
}

TEST_F(SettingsTest, KeysAreWrittenInTheirFixedOrder) {
  NewForm()->close();
  std::ifstream in(IniPath());
  std::vector<std::string> keys;
  for (std::string line; std::getline(in, line);) {
    const size_t eq = line.find('=');
    if (eq != std::string::npos) keys.push_back(line.substr(0, eq));
  }
  const std::vector<std::string> expected = {"Volume",
                                             "Left",
                                             "Top",
                                             "Right",
                                             "Bottom",
                                             "FileColumnName",
                                             "FileColumnSize",
                                             "FileColumnTime",
                                             "FileTrackName",
                                             "FileArtistName",
                                             "FileBitRate",
                                             "FileSampRate",
                                             "FileChannel",
                                             "ConfigColumnLocation",
                                             "ConfigColumnName",
                                             "ConfigTrackName",
                                             "ConfigArtistName"};
  EXPECT_EQ(keys, expected);
}

TEST_F(SettingsTest, StoredWidthsOfZeroOrLessAreNotApplied) {
  TIniFile ini(IniPath());
  ini.WriteInteger("DEFAULT", "FileColumnName", 0);
  ini.WriteInteger("DEFAULT", "FileBitRate", -5);
  ini.WriteInteger("DEFAULT", "ConfigColumnLocation", 0);
  ini.WriteInteger("DEFAULT", "FileTrackName", 150);
  auto form = NewForm();
  // The stored value replaces the default, is not applied, and the designed width stays.
  EXPECT_EQ(form->ListViewFiles->columnWidth(0), 160);
  EXPECT_EQ(form->ListViewFiles->columnWidth(4), 40);
  EXPECT_EQ(form->ListViewConfig->columnWidth(0), 40);
  EXPECT_EQ(form->ListViewFiles->columnWidth(1), 150);
}

TEST_F(SettingsTest, VolumeKeepsOnlyItsLowByte) {
  TIniFile(IniPath()).WriteInteger("DEFAULT", "Volume", 256 + 70);
  EXPECT_EQ(NewForm()->Settings().Volume, 70);
}

// A preview muted at closing stays muted; only a missing key leaves the player's own volume.
TEST_F(SettingsTest, AStoredVolumeOfZeroStaysMuted) {
  const int ownVolume = NewForm()->Mp3Player->Volume();
  ASSERT_GT(ownVolume, 0);
  TIniFile(IniPath()).WriteInteger("DEFAULT", "Volume", 0);
  {
    auto form = NewForm();
    EXPECT_EQ(form->Mp3Player->Volume(), 0);
    form->close();
  }
  EXPECT_EQ(TIniFile(IniPath()).ReadInteger("DEFAULT", "Volume", -1), 0);
}

TEST_F(SettingsTest, AMaximizedWindowStoresItsNormalBounds) {
  {
    auto form = NewForm();
    form->setGeometry(50, 60, 600, 400);
    form->show();
    form->showMaximized();
    form->close();
  }
  const TIniFile ini(IniPath());
  EXPECT_EQ(ini.ReadInteger("DEFAULT", "Left", -1), 50);
  EXPECT_EQ(ini.ReadInteger("DEFAULT", "Right", -1), 650);
  EXPECT_EQ(ini.ReadInteger("DEFAULT", "Bottom", -1), 460);
}

TEST_F(SettingsTest, SceneLabelsComeFromTheDatFileByRow) {
  std::ofstream(game_.Path("prog/korva.dat"))
      << "[DEFAULT]\r\n0=\x83\x5e\x83\x43\x83\x67\x83\x8b\r\n70=last\r\n71=ignored\r\n";
  auto form = NewForm();
  ASSERT_EQ(form->SceneNames.size(), 71u);
  EXPECT_EQ(form->SceneNames[0], "タイトル");
  EXPECT_EQ(form->SceneNames[1], "");
  EXPECT_EQ(form->SceneNames[70], "last");
}

}  // namespace
