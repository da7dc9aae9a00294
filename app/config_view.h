#pragma once

#include <QObject>
#include <functional>
#include <string>
#include <vector>

class IPrompts;
class QAction;
class QComboBox;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;
class TFileListView;
class TMP3Info;
class TKorvaConfig;
struct TKorvaConfigItem;

// What the upper half of the main window works with; the window owns all of it.
struct TConfigViewContext {
  QComboBox* ComboBoxConfigs = nullptr;  // "<標準>" first, then the user configurations
  QTreeWidget* List = nullptr;           // the scene list, with its six columns
  QAction* ActionJumpToFile = nullptr;
  QAction* ActionAutoJump = nullptr;
  QAction* ActionDeleteConfig = nullptr;
  QAction* ActionPlayMp3 = nullptr;
  TKorvaConfig* DefaultConfig = nullptr;
  TKorvaConfig* UserConfig = nullptr;
  std::string* CurrentConfigName = nullptr;
  const std::vector<std::string>* SceneNames = nullptr;  // labels of rows 0 to 70
  std::string ProgramFolder;                             // where the configurations' playlists are
  TMP3Info* Tags = nullptr;
  TFileListView* FileList = nullptr;
  IPrompts* Prompts = nullptr;  // shows errors of reading and writing playlists; required
  // The window's rule for whether the box shows "<標準>".
  std::function<bool()> IsDefaultSelected;
};

// The configuration box and the scene list: one row per scene of the game's table showing the
// item that plays (a user override in blue), the loop toggle and the jump to a scene's file.
class TConfigView : public QObject {
  Q_OBJECT

 public:
  explicit TConfigView(TConfigViewContext context, QObject* parent = nullptr);

  // Shows the configuration selected in the box, after saving the one shown before. When that
  // cannot be saved, the box goes back to it; when the selected one cannot be read, to the one
  // shown before.
  void ShowSelectedConfig();
  // True when the box shows a user configuration (not "<標準>", not nothing).
  bool IsUserConfigSelected() const;
  // The item a row shows (null for no such row): a DefaultConfig item or a UserConfig override.
  const TKorvaConfigItem* RowItem(int row) const;
  // The selected rows in row order.
  std::vector<int> SelectedRows() const;

  // Runs "ファイルにジャンプ(&J)": shows the first selected row's file in the file list.
  void JumpToSelectedFile();
  // Runs "ループ(&L)": every selected row gets the opposite of the first one's loop flag.
  void ToggleLoop();
  // Passes the item of each selected row, in row order, to edit, which changes the user
  // configuration; then every row of an edited scene shows what plays for it. Does nothing
  // unless a user configuration is shown.
  void EditSelectedScenes(const std::function<void(const TKorvaConfigItem&)>& edit);
  // The same for the given rows.
  void EditScenes(const std::vector<int>& rows,
                  const std::function<void(const TKorvaConfigItem&)>& edit);

  QMenu* PopupMenuConfig = nullptr;
  QAction* MenuItemLoop = nullptr;
  QAction* MenuItemAssign = nullptr;  // caption: the selected file's name + " を割り当てる(&A)"
  QAction* MenuItemPlay = nullptr;
  QAction* MenuItemRestoreDefault = nullptr;  // "標準の設定に戻す(&R)"; its command is the window's
  void UpdatePopupMenuConfig();

 signals:
  // MP3 files were dropped on a scene row of a user configuration.
  void FilesDropped(const std::vector<std::string>& files, int row);

 protected:
  // Drags over the scene list: MP3 files may be dropped on a row of a user configuration.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreatePopupMenu();
  void ConnectSignals();
  bool SavePreviousConfig();
  void SelectEntry(const std::string& name);
  bool FillRows();
  // The item that plays for the game's row: its own default item, or the user's override of
  // its scene.
  const TKorvaConfigItem* ItemPlayingAt(int row) const;
  void AddRow(int row);
  void ShowScene(int scene);
  // Rewrites the loop flag, file, tags and path of a row from its item.
  void RefreshConfigRow(int row);
  void SelectionChanged();

  TConfigViewContext ctx_;
  std::vector<const TKorvaConfigItem*> row_items_;
};
