#pragma once

#include <QList>
#include <QObject>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "app/file_row.h"

class IPrompts;
class QAction;
class QLabel;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;
class TFileFilter;
class TFolderTreeView;
class TKorvaConfig;
class TMP3Info;

// The full path of the file a file list row shows.
std::string FileListRowPath(const QTreeWidgetItem* row);

// What the lower half of the main window works with; the window owns all of it.
struct TFileListContext {
  QTreeWidget* List = nullptr;  // the file list, with its fcCount columns
  TFolderTreeView* Tree = nullptr;
  QLabel* StatusPanel = nullptr;
  std::vector<QAction*> SortActions;  // the six "Files" actions, in tag order
  QAction* ActionPlayMp3 = nullptr;
  QAction* ActionUpdateTree = nullptr;
  QAction* ActionSearchMp3Files = nullptr;
  const std::string* MusicFolder = nullptr;
  const TKorvaConfig* DefaultConfig = nullptr;
  TMP3Info* Tags = nullptr;  // the window's one file-information reader
};

// The folder tree's events and the file list: filling it from a folder, its columns, sorting,
// the pop-up menus and the status bar summary of the selected file.
class TFileListView : public QObject {
  Q_OBJECT

 public:
  explicit TFileListView(TFileListContext context, QObject* parent = nullptr);

  // Shows the MP3 files of a folder; a folder that does not exist leaves the list as it is.
  void FillFileList(const std::string& folder);
  // Shows every MP3 file below a folder, subfolders included, with each file's folder; with a
  // filter only the files it keeps.
  void ListFolderTree(const std::string& folder, const TFileFilter* filter = nullptr);
  // Reads the row of one file found in a folder (the search adds its finds the same way) and
  // keeps it when the filter, if any, does; it shows at the next ShowPendingRows.
  void AddFileRow(const std::string& folder, const std::string& name,
                  const TFileFilter* filter = nullptr);
  // Puts the rows read since the last call into the list. Inserting rows one by one costs the
  // list far more than reading them, so they go in together, before the list repaints.
  void ShowPendingRows();
  // Clears every column's sort mark.
  void ResetSortMarks();
  // Sorts by a column: ascending names first, largest numbers first, reversed on every repeat.
  void SortFiles(int column);
  // 0 unsorted, 1 or -1 the direction of the column's last sort.
  int SortMark(int column) const { return sort_marks_.at(column); }
  // The column the list is sorted by; -1 when it is not sorted.
  int SortedColumn() const;
  // Sorts by a column in the direction of a mark (1 or -1) kept from an earlier session.
  void RestoreSort(int column, int mark);
  // Enables the "Files" actions exactly when the list has more than one row.
  void UpdateSortActions();
  // The path of the selected row's file; empty when no row is selected.
  std::string SelectedFilePath() const;
  // Puts the tag summary of a file into the status bar.
  void ShowFileInfo(const std::string& path);
  // Selects the file's folder in the tree (which lists it) and the file's row; true when the
  // row was found.
  bool JumpToFile(const std::string& path);
  // Removes the selected row from the list; the file stays where it is.
  void RemoveSelectedRow();
  // F5: reads the tree again and lists the selected folder anew.
  void UpdateTree();
  // Opens the selected folder in the desktop's file manager.
  void ShowInFileManager();

  // Pop-up menus and the items whose enabling they decide as they open.
  QMenu* PopupMenuFiles = nullptr;
  QAction* MenuItemAssign = nullptr;  // "この曲を割り当てる(&A)"; its command is the window's
  QAction* MenuItemPlay = nullptr;
  QMenu* MenuSort = nullptr;
  QAction* MenuItemRemove = nullptr;
  QMenu* PopupMenuTree = nullptr;
  QAction* MenuItemExplorer = nullptr;
  QAction* MenuItemSearch = nullptr;
  const TFolderTreeView& Tree() const { return *ctx_.Tree; }
  // Whether assigning a file is possible apart from a selected file row (scene rows selected,
  // a user configuration shown); set by the configuration view.
  std::function<bool()> CanAssignToScenes;
  // The path of the tree node the tree's pop-up menu last opened on.
  std::string PopupTreePath;
  // The folder the person means when searching from the main menu or with F3: the selected one.
  std::string SelectedFolder() const;

  void UpdatePopupMenuFiles();
  void UpdatePopupMenuTree();

 signals:
  // The tree's pop-up menu asks to search below the folder it opened on.
  void SearchFolderRequested(const std::string& folder);
  // A file row was double-clicked: the window plays it.
  void FileDoubleClicked();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreatePopupMenus();
  void ConnectSignals();
  void TreeSelectionChanged();
  void FileSelectionChanged();
  bool ToggleNodeAt(const QPoint& point);
  bool CompareRows(const QTreeWidgetItem* a, const QTreeWidgetItem* b, int column,
                   int direction) const;

  TFileListContext ctx_;
  QList<QTreeWidgetItem*> pending_rows_;
  std::array<int, fcCount> sort_marks_{};
};
