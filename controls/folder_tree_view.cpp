#include "controls/folder_tree_view.h"

#include <QApplication>
#include <QFileIconProvider>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyle>
#include <algorithm>

#include "controls/folder_listing.h"

namespace {

// Keeps the waiting cursor up for its lifetime, also when an exception leaves the scope.
class TWaitBracket {
 public:
  explicit TWaitBracket(TFolderTreeView& tree) : tree_(tree) { tree_.BeginWait(); }
  ~TWaitBracket() { tree_.EndWait(); }
  TWaitBracket(const TWaitBracket&) = delete;
  TWaitBracket& operator=(const TWaitBracket&) = delete;

 private:
  TFolderTreeView& tree_;
};

std::string WithSeparator(const std::string& path) {
  return !path.empty() && path.back() == kPathSeparator ? path : path + kPathSeparator;
}

// Whether node_path is the path itself or one of its parent folders.
bool IsPathPrefix(const std::string& node_path, const std::string& path, Qt::CaseSensitivity cs) {
  return QString::fromUtf8(WithSeparator(path))
      .startsWith(QString::fromUtf8(WithSeparator(node_path)), cs);
}

// The node in pre-order after node once node's own children have been visited.
QTreeWidgetItem* NextAfterSubtree(QTreeWidgetItem* node) {
  for (QTreeWidgetItem* item = node; item != nullptr; item = item->parent()) {
    QTreeWidgetItem* parent = item->parent();
    QTreeWidget* tree = item->treeWidget();
    const int index = parent ? parent->indexOfChild(item) : tree->indexOfTopLevelItem(item);
    const int count = parent ? parent->childCount() : tree->topLevelItemCount();
    if (index + 1 < count) return parent ? parent->child(index + 1) : tree->topLevelItem(index + 1);
  }
  return nullptr;
}

QTreeWidgetItem* NextInTreeOrder(QTreeWidgetItem* node) {
  return node->childCount() > 0 ? node->child(0) : NextAfterSubtree(node);
}

// Among the nodes whose path is a prefix of the path, the one with the longest path, preferring
// a match in exact letter case (folders may differ only in case off Windows).
TFolderTreeNode* BestPrefixNode(const std::vector<TFolderTreeNode*>& nodes,
                                const std::string& path) {
  for (Qt::CaseSensitivity cs : {Qt::CaseSensitive, Qt::CaseInsensitive}) {
    TFolderTreeNode* best = nullptr;
    for (TFolderTreeNode* node : nodes) {
      if (IsPathPrefix(node->Path(), path, cs) &&
          (best == nullptr || node->Path().size() > best->Path().size())) {
        best = node;
      }
    }
    if (best != nullptr) return best;
  }
  return nullptr;
}

std::vector<TFolderTreeNode*> ChildNodes(const TFolderTreeNode* node) {
  std::vector<TFolderTreeNode*> children;
  for (int i = 0; i < node->childCount(); ++i) children.push_back(node->ChildNode(i));
  return children;
}

// Opens every node below node that has children. Links were not read, so they stay closed.
void ExpandLoaded(QTreeWidgetItem* node) {
  if (node->childCount() == 0) return;
  node->setExpanded(true);
  for (int i = 0; i < node->childCount(); ++i) ExpandLoaded(node->child(i));
}

}  // namespace

TFolderTreeNode::TFolderTreeNode(std::string path, TDriveType drive_type)
    : path_(std::move(path)), drive_type_(drive_type) {}

bool TFolderTreeNode::HasChildrenMark() const {
  return childCount() > 0 || childIndicatorPolicy() == ShowIndicator;
}

void TFolderTreeNode::SetHasChildrenMark(bool has_children) {
  setChildIndicatorPolicy(has_children ? ShowIndicator : DontShowIndicatorWhenChildless);
}

TFolderTreeNode* TFolderTreeNode::ChildNode(int index) const {
  return static_cast<TFolderTreeNode*>(child(index));
}

TFolderTreeView::TFolderTreeView(QWidget* parent) : QTreeWidget(parent) {
  setHeaderHidden(true);
  setColumnCount(1);
  setEditTriggers(NoEditTriggers);
  setSelectionMode(SingleSelection);
  setExpandsOnDoubleClick(true);
  const QFileIconProvider icons;
  folder_icon_ = icons.icon(QFileIconProvider::Folder);
  // The open-folder picture marks the selected node, as the closed one marks the others.
  const QIcon open_icon = style()->standardIcon(QStyle::SP_DirOpenIcon);
  for (const QSize& size : open_icon.availableSizes()) {
    folder_icon_.addPixmap(open_icon.pixmap(size), QIcon::Selected);
  }
  connect(this, &QTreeWidget::itemExpanded, this, &TFolderTreeView::NodeExpanding);
  connect(this, &QTreeWidget::itemChanged, this, &TFolderTreeView::NodeChanged);
  // The event that selected a node is finished before the node may go away.
  connect(this, &QTreeWidget::itemSelectionChanged, this, &TFolderTreeView::DropSelectedIfGone,
          Qt::QueuedConnection);
  LoadDrives(drive_types_);
}

void TFolderTreeView::SetCheckboxes(bool checkboxes) {
  if (checkboxes == checkboxes_) return;
  checkboxes_ = checkboxes;
  for (QTreeWidgetItemIterator it(this); *it != nullptr; ++it) {
    auto* node = static_cast<TFolderTreeNode*>(*it);
    node->last_checked_ = false;
    if (checkboxes) {
      node->setCheckState(0, Qt::Unchecked);
    } else {
      node->setData(0, Qt::CheckStateRole, QVariant());
    }
  }
}

TFolderTreeNode* TFolderTreeView::CreateNode(const std::string& path, TDriveType drive_type,
                                             const QString& caption) {
  auto* node = new TFolderTreeNode(path, drive_type);
  node->setText(0, caption);
  node->setToolTip(0, QString::fromStdString(path));
  if (checkboxes_) node->setCheckState(0, Qt::Unchecked);
  if (OnCreateNode) OnCreateNode(this, node);
  return node;
}

void TFolderTreeView::DecorateFolderNode(TFolderTreeNode* node) {
  node->setIcon(0, folder_icon_);
  node->SetHasChildrenMark(HasSubfolders(node->Path()));
}

bool TFolderTreeView::LoadDrives(const TDriveTypes& types) {
  clear();
  const std::vector<TRootFolder> roots = ListRootFolders();
  if (roots.empty()) return false;
  const QFileIconProvider icons;
  for (const TRootFolder& root : roots) {
    if (!types.contains(root.type)) continue;
    TFolderTreeNode* node = CreateNode(root.path, root.type, QString::fromStdString(root.caption));
    node->setIcon(0, icons.icon(QFileInfo(QString::fromStdString(FolderToOpen(root.path)))));
    // Removable media are not touched until the user opens them.
    const bool look = root.type == dtFixed || root.type == dtNetwork || root.type == dtCDROM;
    node->SetHasChildrenMark(look ? HasSubfolders(root.path) : true);
    addTopLevelItem(node);
  }
  return true;
}

void TFolderTreeView::FillChildren(TFolderTreeNode* node) {
  if (node->childCount() > 0) return;
  const std::vector<std::string> names = ListSubfolders(node->Path());
  if (names.empty()) {
    node->SetHasChildrenMark(false);
    return;
  }
  for (const std::string& name : names) {
    TFolderTreeNode* child =
        CreateNode(JoinPath(node->Path(), name), dtUnknown, QString::fromStdString(name));
    DecorateFolderNode(child);
    node->addChild(child);
  }
}

TFolderTreeNode* TFolderTreeView::GetSelectedPath(std::string& path) const {
  const QList<QTreeWidgetItem*> selected = selectedItems();
  auto* node = selected.isEmpty() ? nullptr : static_cast<TFolderTreeNode*>(selected.first());
  path = node ? node->Path() : std::string();
  return node;
}

TFolderTreeNode* TFolderTreeView::SelectPath(const std::string& path) {
  TFolderTreeNode* found = nullptr;
  {
    TWaitBracket wait(*this);
    std::vector<TFolderTreeNode*> roots;
    for (int i = 0; i < topLevelItemCount(); ++i) roots.push_back(RootNode(i));
    // Off Windows the roots nest (the home folder lies below "/"); the deepest one that holds
    // the path is where the user expects to find it.
    TFolderTreeNode* node = BestPrefixNode(roots, path);
    while (node != nullptr) {
      if (node->Path().size() == path.size()) {
        found = node;
        break;
      }
      FillChildren(node);
      node = BestPrefixNode(ChildNodes(node), path);
    }
  }
  // A folder deleted on disk may still have its node; that is not selected. The node's own path
  // is asked, since the path given may differ from it in letter case.
  if (found != nullptr && !DirectoryExists(found->Path())) found = nullptr;
  if (found != nullptr) {
    setCurrentItem(found);
    scrollToItem(found);
  }
  return found;
}

void TFolderTreeView::LoadSubtree(TFolderTreeNode* node, bool all) {
  TWaitBracket wait(*this);
  FillChildren(node);
  if (!all) return;
  for (TFolderTreeNode* child : ChildNodes(node)) {
    if (!IsFolderLink(child->Path())) LoadSubtree(child, true);
  }
}

bool TFolderTreeView::IsChecked(const TFolderTreeNode* node) const {
  return node != nullptr && checkboxes_ && node->checkState(0) == Qt::Checked;
}

void TFolderTreeView::SetChecked(TFolderTreeNode* node, bool checked) {
  node->last_checked_ = checked;
  node->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
}

void TFolderTreeView::RefreshNode(TFolderTreeNode* node, bool following) {
  QTreeWidgetItem* current = node;
  while (current != nullptr) {
    auto* folder = static_cast<TFolderTreeNode*>(current);
    if (folder->isExpanded()) {
      RefreshExpanded(folder);
    } else {
      qDeleteAll(folder->takeChildren());
      RefreshMark(folder);
    }
    if (!following) return;
    current = NextInTreeOrder(current);
  }
}

void TFolderTreeView::RefreshExpanded(TFolderTreeNode* node) {
  std::vector<std::string> paths;
  for (const std::string& name : ListSubfolders(node->Path())) {
    paths.push_back(JoinPath(node->Path(), name));
  }
  if (paths.empty()) {
    node->setExpanded(false);
    node->SetHasChildrenMark(false);
  }
  std::vector<TFolderTreeNode*> kept(paths.size(), nullptr);
  for (TFolderTreeNode* child : ChildNodes(node)) {
    const auto it = std::find_if(paths.begin(), paths.end(),
                                 [&](const std::string& p) { return SamePath(p, child->Path()); });
    if (it == paths.end()) {
      delete child;
    } else {
      kept[it - paths.begin()] = child;
    }
  }
  // The listing and the remaining children are in the same order, so new folders go in
  // before the first child that sorts after them.
  int cursor = 0;
  for (size_t i = 0; i < paths.size(); ++i) {
    if (kept[i] != nullptr) {
      cursor = node->indexOfChild(kept[i]) + 1;
      continue;
    }
    TFolderTreeNode* child =
        CreateNode(paths[i], dtUnknown, QString::fromStdString(ExtractFileName(paths[i])));
    DecorateFolderNode(child);
    node->insertChild(cursor++, child);
  }
  if (node->parent() == nullptr) RefreshMark(node);
}

void TFolderTreeView::RefreshMark(TFolderTreeNode* node) {
  node->SetHasChildrenMark(node->DriveType() == dtFloppy || HasSubfolders(node->Path()));
}

TFolderTreeNode* TFolderTreeView::RootNode(int index) const {
  return static_cast<TFolderTreeNode*>(topLevelItem(index));
}

TFolderTreeNode* TFolderTreeView::NodeAt(const QPoint& point) const {
  return static_cast<TFolderTreeNode*>(itemAt(point));
}

void TFolderTreeView::RefreshAll() {
  TWaitBracket wait(*this);
  if (topLevelItemCount() > 0) RefreshNode(RootNode(0), true);
}

void TFolderTreeView::BeginWait() {
  if (wait_depth_++ > 0) return;
  QApplication::setOverrideCursor(QCursor(waiting_cursor_));
  emit WaitingChanged(true);
}

void TFolderTreeView::EndWait() {
  if (--wait_depth_ > 0) return;
  QApplication::restoreOverrideCursor();
  emit WaitingChanged(false);
}

void TFolderTreeView::NodeExpanding(QTreeWidgetItem* item) {
  auto* node = static_cast<TFolderTreeNode*>(item);
  if (node->childCount() > 0) return;
  {
    TWaitBracket wait(*this);
    FillChildren(node);
  }
  if (node->childCount() == 0) node->setExpanded(false);
}

// A node whose folder was deleted on disk gives way to the nearest folder above it that still
// exists, which is selected and brought up to date, so that nothing shows a folder that is gone.
void TFolderTreeView::DropSelectedIfGone() {
  std::string path;
  TFolderTreeNode* node = GetSelectedPath(path);
  if (node == nullptr || DirectoryExists(path)) return;
  auto* parent = static_cast<TFolderTreeNode*>(node->parent());
  while (parent != nullptr && !DirectoryExists(parent->Path())) {
    parent = static_cast<TFolderTreeNode*>(parent->parent());
  }
  if (parent == nullptr) return;
  setCurrentItem(parent);
  TWaitBracket wait(*this);
  RefreshNode(parent, false);
}

void TFolderTreeView::NodeChanged(QTreeWidgetItem* item) {
  auto* node = static_cast<TFolderTreeNode*>(item);
  const bool checked = IsChecked(node);
  if (!checkboxes_ || checked == node->last_checked_) return;
  node->last_checked_ = checked;
  if (OnChecked) OnChecked(this, node, checked);
}

void TFolderTreeView::ExpandSubtree(TFolderTreeNode* node) {
  LoadSubtree(node, true);
  ExpandLoaded(node);
}

void TFolderTreeView::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && OnBeginMouseDown) {
    const QPoint pos = event->position().toPoint();
    OnBeginMouseDown(this, Qt::LeftButton, event->modifiers(), pos.x(), pos.y());
  }
  QTreeWidget::mousePressEvent(event);
}

void TFolderTreeView::keyPressEvent(QKeyEvent* event) {
  auto* node = static_cast<TFolderTreeNode*>(currentItem());
  if (event->key() == Qt::Key_Asterisk && !(event->modifiers() & Qt::ControlModifier) &&
      node != nullptr) {
    TWaitBracket wait(*this);
    ExpandSubtree(node);
    event->accept();
    return;
  }
  QTreeWidget::keyPressEvent(event);
}
