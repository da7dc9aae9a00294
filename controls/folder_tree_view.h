#pragma once

#include <QTreeWidget>
#include <functional>
#include <set>
#include <string>
#include <vector>

// Kinds of drive, in the order of the system's drive type codes. Off Windows the root folders
// (the file system root, the home folder, a Wine prefix's drive) count as fixed drives.
enum TDriveType { dtUnknown, dtNoDrive, dtFloppy, dtFixed, dtNetwork, dtCDROM, dtRAM };
using TDriveTypes = std::set<TDriveType>;

class TFolderTreeView;

// One drive or folder of the tree. The caption is only for the eye; Path identifies the node.
class TFolderTreeNode : public QTreeWidgetItem {
 public:
  TFolderTreeNode(std::string path, TDriveType drive_type);

  virtual const std::string& Path() const { return path_; }
  // The drive type of a root node; dtUnknown for folder nodes.
  TDriveType DriveType() const { return drive_type_; }
  // The has-children mark: children read already, or the promise that there are some.
  bool HasChildrenMark() const;
  void SetHasChildrenMark(bool has_children);
  TFolderTreeNode* ChildNode(int index) const;

 private:
  friend class TFolderTreeView;
  std::string path_;
  TDriveType drive_type_;
  // The check state last reported or set, so that only a change by the user is reported.
  bool last_checked_ = false;
};

// A tree of drives and folders that reads each folder from disk only when it is first opened.
class TFolderTreeView : public QTreeWidget {
  Q_OBJECT

 public:
  using TFolderTreeCheckedEvent = std::function<void(TFolderTreeView*, TFolderTreeNode*, bool)>;
  using TFolderTreeCreateNodeEvent = std::function<void(TFolderTreeView*, TFolderTreeNode*)>;
  using TBeginMouseDownEvent =
      std::function<void(TFolderTreeView*, Qt::MouseButton, Qt::KeyboardModifiers, int, int)>;

  explicit TFolderTreeView(QWidget* parent = nullptr);

  TFolderTreeCheckedEvent OnChecked;
  TFolderTreeCreateNodeEvent OnCreateNode;
  TBeginMouseDownEvent OnBeginMouseDown;

  Qt::CursorShape WaitingCursor() const { return waiting_cursor_; }
  void SetWaitingCursor(Qt::CursorShape cursor) { waiting_cursor_ = cursor; }
  bool Checkboxes() const { return checkboxes_; }
  void SetCheckboxes(bool checkboxes);
  // Applies at the next LoadDrives.
  const TDriveTypes& DriveTypes() const { return drive_types_; }
  void SetDriveTypes(TDriveTypes types) { drive_types_ = std::move(types); }

  // Rebuilds the root level from the drives of the given types; false when there are none.
  bool LoadDrives(const TDriveTypes& types);
  // Reads a node's subfolders unless it has children already.
  virtual void FillChildren(TFolderTreeNode* node);
  // The selected node and its path; null and an empty path when nothing is selected.
  virtual TFolderTreeNode* GetSelectedPath(std::string& path) const;
  // Finds, reads down to and selects the node of a folder; null (and the selection unchanged)
  // when the folder does not exist or is not in the tree.
  virtual TFolderTreeNode* SelectPath(const std::string& path);
  // Reads a node's subfolders and, with all, those of every folder below it.
  virtual void LoadSubtree(TFolderTreeNode* node, bool all);
  virtual bool IsChecked(const TFolderTreeNode* node) const;
  virtual void SetChecked(TFolderTreeNode* node, bool checked);
  // Brings a node (and, with following, every node after it in tree order) up to date with
  // the disk: expanded nodes gain new and lose deleted subfolders, collapsed ones forget theirs.
  void RefreshNode(TFolderTreeNode* node, bool following);
  void RefreshAll();

  TFolderTreeNode* RootNode(int index) const;
  TFolderTreeNode* NodeAt(const QPoint& point) const;

  // The waiting-cursor bracket around every read from disk; brackets nest.
  void BeginWait();
  void EndWait();

 signals:
  // Emitted when the outermost waiting bracket opens (true) and closes (false).
  void WaitingChanged(bool waiting);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  TFolderTreeNode* CreateNode(const std::string& path, TDriveType drive_type,
                              const QString& caption);
  void DecorateFolderNode(TFolderTreeNode* node);
  void NodeExpanding(QTreeWidgetItem* item);
  void NodeChanged(QTreeWidgetItem* item);
  void DropSelectedIfGone();
  void RefreshExpanded(TFolderTreeNode* node);
  void RefreshMark(TFolderTreeNode* node);
  void ExpandSubtree(TFolderTreeNode* node);

  Qt::CursorShape waiting_cursor_ = Qt::WaitCursor;
  bool checkboxes_ = false;
  TDriveTypes drive_types_{dtNoDrive, dtFloppy, dtFixed, dtCDROM};
  int wait_depth_ = 0;
  QIcon folder_icon_;
};
