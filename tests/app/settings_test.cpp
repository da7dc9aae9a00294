// The window's settings: defaults without an ini file, the round trip through it, and the rules
// for applying stored values.
#include <gtest/gtest.h>

#include <QDateTime>
#include <QHeaderView>
#include <QSplitter>
#include <QTreeWidget>
#include <filesystem>
#include <fstream>

#include "app/file_row.h"
#include "app/main.h"
#include "controls/folder_tree_view.h"
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
  // The widths in pixels per inch are a floor; a column is never narrower than its caption and
  // its typical content in the font in use ("44,100", "ステレオ", a date with its time).
  EXPECT_GE(files->columnWidth(0), 2 * ppi);
  for (int column : {1, 2, 3, 7}) EXPECT_GE(files->columnWidth(column), ppi) << column;
  for (int column : {4, 5, 6}) EXPECT_GE(files->columnWidth(column), 40) << column;
  const QFontMetrics metrics = files->fontMetrics();
  for (int column = 0; column < fcCount; ++column) {
    if (column == fcFolder) continue;  // sized to its contents when a search fills it
    EXPECT_GE(files->columnWidth(column), files->header()->sectionSizeHint(column)) << column;
  }
  const QString date = FormatFileDate(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59)));
  for (const auto& [column, text] : std::vector<std::pair<int, QString>>{
           {fcSampleRate, "44,100"}, {fcChannels, "ステレオ"}, {fcDate, date}})
    EXPECT_GT(files->columnWidth(column), metrics.horizontalAdvance(text)) << column;
  const QTreeWidget* config = form->ListViewConfig;
  for (int column : {0, 2, 3, 4}) EXPECT_GE(config->columnWidth(column), ppi) << column;
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
  const std::vector<std::string> expected = {
      "Volume", "Left", "Top", "Right", "Bottom", "FileColumnName", "FileColumnSize",
      "FileColumnTime", "FileTrackName", "FileArtistName", "FileBitRate", "FileSampRate",
      "FileChannel", "ConfigColumnLocation", "ConfigColumnName", "ConfigTrackName",
      "ConfigArtistName",
      // Where the person was, in keys of their own.
      "UpperAreaHeight", "FolderTreeWidth", "FileSortColumn", "FileSortMark", "FileDuration",
      "LastFolder"};
  EXPECT_EQ(keys, expected);
}

TEST_F(SettingsTest, TheFolderTheBarsAndTheSortComeBackAtTheNextStart) {
#ifdef _WIN32
  const std::string album = game_.Path("music/アルバム");  // Windows drops a blank at the end
#else
  const std::string album = game_.Path("music/アルバム ");  // a blank at the end survives
#endif
  QDir().mkpath(QString::fromStdString(album));
  for (const char* name : {"a.mp3", "b.mp3", "c.mp3"}) WriteFileAtomic(JoinPath(album, name), "x");
  int upper = 0;
  int tree = 0;
  {
    auto form = NewForm();
    form->show();
    ASSERT_NE(form->TreeViewFolders->SelectPath(album), nullptr);
    form->FileList->SortFiles(0);
    form->FileList->SortFiles(0);  // names downwards
    form->SplitterMain->setSizes({150, 250});
    form->SplitterLower->setSizes({222, 400});
    upper = form->SplitterMain->sizes().value(0);
    tree = form->SplitterLower->sizes().value(0);
    form->ListViewFiles->setColumnWidth(fcDuration, 71);
    form->close();
  }
  auto form = NewForm();
  form->show();
  std::string folder;
  form->TreeViewFolders->GetSelectedPath(folder);
  EXPECT_EQ(folder, album);
  EXPECT_EQ(form->FileList->SortedColumn(), 0);
  EXPECT_EQ(form->FileList->SortMark(0), -1);
  EXPECT_EQ(form->ListViewFiles->topLevelItem(0)->text(0), "c.mp3");
  EXPECT_NE(upper, form->SplitterMain->sizes().value(1));  // not merely halves
  EXPECT_EQ(form->SplitterMain->sizes().value(0), upper);
  EXPECT_EQ(form->SplitterLower->sizes().value(0), tree);
  EXPECT_EQ(form->ListViewFiles->columnWidth(fcDuration), 71);
}

TEST_F(SettingsTest, StoredWidthsOfZeroOrLessAreNotApplied) {
  TIniFile ini(IniPath());
  ini.WriteInteger("DEFAULT", "FileColumnName", 0);
  ini.WriteInteger("DEFAULT", "FileBitRate", -5);
  ini.WriteInteger("DEFAULT", "ConfigColumnLocation", 0);
  ini.WriteInteger("DEFAULT", "FileTrackName", 150);
  auto form = NewForm();
  // The stored value replaces the default and is not applied: the designed width (at least, as
  // the font in use may need more) stays.
  EXPECT_GE(form->ListViewFiles->columnWidth(0), 160);
  EXPECT_GE(form->ListViewFiles->columnWidth(4), 40);
  EXPECT_GE(form->ListViewConfig->columnWidth(0), 40);
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

// Bounds from another screen or a hand edit: the window comes back whole onto the screen, and
// extreme numbers neither overflow nor make it vanish.
TEST(FitOnScreenTest, StoredBoundsAreBroughtOntoTheScreen) {
  const TKorvaRect screen{0, 0, 1920, 1080};
  EXPECT_EQ(FitOnScreen({308, 132, 948, 612}, screen, 432, 288), (TKorvaRect{308, 132, 948, 612}));
  EXPECT_EQ(FitOnScreen({5000, -300, 5640, 180}, screen, 432, 288),
            (TKorvaRect{1280, 0, 1920, 480}));
  EXPECT_EQ(FitOnScreen({INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX}, screen, 432, 288),
            (TKorvaRect{0, 0, 1920, 1080}));
  EXPECT_EQ(FitOnScreen({INT32_MAX, INT32_MAX, INT32_MIN, INT32_MIN}, screen, 432, 288),
            (TKorvaRect{1488, 792, 1920, 1080}));
}

}  // namespace
