#pragma once

#include <QElapsedTimer>
#include <QMainWindow>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/config/korva_config.h"
#include "app/config_view.h"
#include "app/file_list_view.h"
#include "app/qt_dispatcher.h"
#include "app/settings.h"
#include "mp3player/compo/info/mp3_info.h"
#include "mp3player/compo/player/mp3_player.h"
#include "platform/prompts.h"

class QAction;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QPushButton;
class QSplitter;
class QToolBar;
class QToolButton;
class QTreeWidget;
class TFolderTreeView;
class TFormMp3FileInfoDlg;
class TFormPlayerVolumeDlg;
class TSeekTrackBar;
class QVBoxLayout;

// What the main window needs from the program's entry: where the person's playlists and settings
// are, where the scene labels are, and how to talk to the person.
struct TFormMainSetup {
  std::string PlaylistFolder;  // ends with the path separator
  std::string IniFileName;
  std::string SceneLabelFileName;
  std::string MusicFolder;  // the game's music folder, found by the entry
  IPrompts* Prompts = nullptr;
};

// The main window: configuration box and scene list above, folder tree and file list below,
// a tool bar with the player controls and a status bar. Its parts live in files named for
// them (main_layout.cpp, main_actions.cpp, main_config_view.cpp, main_file_list.cpp, ...);
// this header is the one place they meet.
class TFormMain : public QMainWindow {
  Q_OBJECT

 public:
  explicit TFormMain(TFormMainSetup setup, QWidget* parent = nullptr);
  ~TFormMain() override;

  // True when creation asked the program to end (no Config.txt, first run refused, ...);
  // the entry then does not run the message loop.
  bool TerminationRequested() const { return terminationRequested_; }

  // The settings as loaded at creation; SaveSettings refreshes and writes them.
  const TKorva& Settings() const { return korva_; }
  int PixelsPerInch() const { return pixelsPerInch_; }

  // Actions, named as the rest of the program refers to them.
  QAction* ActionApply = nullptr;
  QAction* ActionAutoJump = nullptr;
  QAction* ActionJumpToFile = nullptr;
  QAction* ActionNewConfig = nullptr;
  QAction* ActionDeleteConfig = nullptr;
  QAction* ActionPlayMp3 = nullptr;
  QAction* ActionStopPlayer = nullptr;
  QAction* ActionSearchMp3Files = nullptr;
  QAction* ActionUpdateTree = nullptr;
  QAction* ActionSupportWebPage = nullptr;
  QAction* ActionExit = nullptr;
  QAction* ActionAbout = nullptr;
  QAction* ActionFilesSortByName = nullptr;
  QAction* ActionFilesSortByTrackName = nullptr;
  QAction* ActionFilesSortByArtistName = nullptr;
  QAction* ActionFilesSortBySize = nullptr;
  QAction* ActionFilesSortByTime = nullptr;
  QAction* ActionFilesSortByPath = nullptr;
  // The six sort actions of category "Files", in tag order.
  std::vector<QAction*> FilesActions() const;
  // Ctrl+Left / Ctrl+Right: a playing preview five seconds back or forth (no menu entry).
  QAction* ActionSeekBack = nullptr;
  QAction* ActionSeekForward = nullptr;

  // Menus.
  QMenu* MenuSettings = nullptr;
  QMenu* MenuView = nullptr;
  QMenu* MenuFileList = nullptr;
  QMenu* MenuHelp = nullptr;

  // Tool bar.
  QToolBar* ToolBarMain = nullptr;
  QToolButton* ToolButtonPlay = nullptr;
  QToolButton* ToolButton3 = nullptr;  // stop
  TSeekTrackBar* TrackBarPlayer = nullptr;
  QToolButton* ToolButtonVolume = nullptr;
  QLabel* PanelMp3FileInfo = nullptr;
  QLabel* PanelTime = nullptr;

  // Upper area: configuration box, its two buttons and the scene list.
  QFrame* PanelUpper = nullptr;
  QComboBox* ComboBoxConfigs = nullptr;
  QPushButton* ButtonNewConfig = nullptr;
  QPushButton* ButtonDeleteConfig = nullptr;
  QTreeWidget* ListViewConfig = nullptr;

  // Lower area: the folder tree goes into PanelFolderTree, the file list beside it.
  QSplitter* SplitterMain = nullptr;   // upper / lower, horizontal bar
  QSplitter* SplitterLower = nullptr;  // tree / file list, vertical bar
  QWidget* PanelFolderTree = nullptr;
  QVBoxLayout* PanelFolderTreeLayout = nullptr;
  TFolderTreeView* TreeViewFolders = nullptr;
  QTreeWidget* ListViewFiles = nullptr;

  // Status bar panel with the tag summary of the selected file, and the one with the
  // configuration the game plays since the last Apply.
  QLabel* StatusPanel = nullptr;
  QLabel* StatusPanelGame = nullptr;

  // Scene labels by row position (rows 0 to 70).
  std::vector<std::string> SceneNames;

  // The game's own assignment (from Config.org) and the overrides of the shown user
  // configuration, whose name is CurrentConfigName (empty while "<標準>" is shown).
  TKorvaConfig DefaultConfig;
  TKorvaConfig UserConfig;
  std::string CurrentConfigName;

  // The folder of the program file: playlists live there.
  std::string PlaylistFolder() const;
  const std::string& MusicFolder() const { return setup_.MusicFolder; }
  IPrompts& Prompts() const { return *setup_.Prompts; }

  // Configuration box (main_configs.cpp).
  // Fills the box with "<標準>" and the user configurations in the program's folder.
  void FillConfigBox();
  // True when the box's selection is the default configuration "<標準>".
  bool IsDefaultSelected() const;
  // Writes the shown user configuration to its playlist; false (after a message) on failure.
  bool SaveCurrentConfig();
  // Selects the entry and shows it.
  void SelectConfig(int index);

  // Configuration view (main_config_view.cpp).
  // Shows the entry selected in the configuration box, saving the one shown before.
  void ShowSelectedConfig();
  // The item a scene list row shows: a DefaultConfig item or a UserConfig override.
  const TKorvaConfigItem* ConfigRowItem(int row) const;

  // The one file-information reader of both lists, and the views that fill and run them
  // (main_file_list.cpp, main_config_view.cpp).
  TMP3Info Mp3Info;
  std::unique_ptr<TFileListView> FileList;
  std::unique_ptr<TConfigView> ConfigView;

  // File list (main_file_list.cpp).
  // Enables the "Files" actions exactly when the file list has more than one row.
  void UpdateSortActions();
  // The full path of the selected file list row; empty when none is selected.
  std::string SelectedFilePath() const;

  // Playback (main_player.cpp). The dispatcher carries the player's events to this window; it
  // is declared first so that it outlives the player.
  TQtDispatcher PlayerDispatcher;
  std::unique_ptr<TMP3Player> Mp3Player;
  TFormPlayerVolumeDlg* FormPlayerVolumeDlg = nullptr;  // made at the first use
  TFormMp3FileInfoDlg* FormMp3FileInfoDlg = nullptr;
  int PanelTimeTag = 0;  // the time panel shows 0: the time played, 1: the time left
  // Plays the selected scene's or file's file, restarts it, or resumes it where the bar is.
  // hasSender is false for a double click in the file list, which calls it directly.
  void ActionPlayMp3Execute(bool hasSender);
  void ActionStopPlayerExecute();

  // Configuration editing (main_configs.cpp).
  void ActionApplyExecute();
  // Shows in the status bar which configuration the last Apply put in force for this game.
  void ShowAppliedConfig();
  void ActionNewConfigExecute();
  void ActionDeleteConfigExecute();
  // Assigns the selected file to the selected scenes of a user configuration.
  void AssignSelectedFile();
  // Assigns a file to the given scene rows of a user configuration, after making sure it plays.
  void AssignFile(const std::string& path, const std::vector<int>& rows);
  // MP3 files dropped on a scene row: one file as the assign action would place it, several on
  // the scenes from that row on.
  void AssignDroppedFiles(const std::vector<std::string>& files, int row);
  // Returns the selected scenes to the game's own music ("標準の設定に戻す(&R)").
  void RestoreSelectedScenes();

 protected:
  void closeEvent(QCloseEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  // main_actions.cpp
  void CreateActions();
  void CreateMenus();
  void MenuViewAboutToShow();
  void ActionSupportWebPageExecute();
  void ActionAboutExecute();
  // main_layout.cpp
  void CreateToolBar();
  void CreateUpperArea();
  void CreateLowerArea();
  void CreateStatusBar();
  void CreateLayout();
  void ApplyFont();
  int LowerAreaHeightAtCreation() const;
  void RaiseDefaultWidths();
  void FitScenesAtFirstStart();
  void RestoreWhereThePersonWas();
  void KeepLowerAreaInLimit();
  // main_file_list.cpp, main_config_view.cpp
  void CreateFileListView();
  void CreateConfigView();
  // main_player.cpp
  void CreatePlayer();
  void CreateSeekKeys();
  void DestroyPlayer();
  std::string ChosenPlayFile(bool hasSender) const;
  void RunPlayerCommand(const std::function<void()>& command);
  void StartPreview(const std::function<void()>& command);
  void Mp3PlayerChangeStatus();
  void Mp3PlayerChangePosition();
  void Mp3PlayerEndPlay(TMP3EndPlayReason reason);
  void ShowPlayerPosition(int64_t position, int64_t duration);
  void ShowTime(int64_t position, int64_t duration);
  void TrackBarPlayerChange(int position);
  void PanelTimeMouseDown();
  void ToolButtonVolumeClick();
  void PanelMp3FileInfoMouseDown();
  // main.cpp
  void LoadSettings();
  void ApplySettings();
  void SaveSettings();
  void FormCloseQuery();
  std::string IniFileName() const;
  std::string SceneNamesFileName() const;

  TFormMainSetup setup_;
  TKorva korva_;
  int pixelsPerInch_ = 96;
  bool terminationRequested_ = false;
  bool firstStart_ = false;  // no window bounds were stored
  bool shown_ = false;
  bool updatingTrackBar_ = false;  // set while the player's position moves the bar
  QElapsedTimer previewStarted_;   // since the last Play of a preview
};

// The width a list column needs in the list's own font: its caption and the samples of its
// typical content.
int NeededColumnWidth(const QTreeWidget* list, int column, const QStringList& samples);
