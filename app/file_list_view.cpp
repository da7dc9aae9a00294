#include "app/file_list_view.h"

#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QTreeWidget>
#include <QUrl>
#include <algorithm>

#include "app/busy_work.h"
#include "app/config/korva_config.h"
#include "app/file_row.h"
#include "controls/folder_listing.h"
#include "controls/folder_tree_view.h"
#include "platform/files.h"
#include "platform/text_compare.h"

namespace {

constexpr int kNumberRole = Qt::UserRole;

bool IsNumericColumn(int column) {
  return (column >= fcSize && column <= fcDate) || column == fcDuration;
}

// The column each sort action sorts by, in tag order: name, title, artist, size, date and time,
// and the path, which the folder column sorts by.
constexpr std::array<int, 6> kSortActionColumns = {fcName, fcTitle, fcArtist,
                                                   fcSize, fcDate,  fcFolder};

std::string Utf8(const QString& text) { return text.toStdString(); }

std::string WithoutTrailingSeparator(std::string path) {
  while (path.size() > 1 && path.back() == kPathSeparator) path.pop_back();
  return path;
}

QTreeWidgetItem* MakeItem(const TFileRow& row) {
  auto* item = new QTreeWidgetItem;
  for (int column = 0; column < fcCount; ++column) {
    item->setText(column, row.Texts[column]);
    if (IsNumericColumn(column)) {
      item->setData(column, kNumberRole, static_cast<qlonglong>(row.Numbers[column]));
    }
  }
  item->setTextAlignment(fcSize, Qt::AlignRight | Qt::AlignVCenter);
  item->setTextAlignment(fcDuration, Qt::AlignRight | Qt::AlignVCenter);
  return item;
}

}  // namespace

std::string FileListRowPath(const QTreeWidgetItem* row) {
  return JoinPath(Utf8(row->text(fcFolder)), Utf8(row->text(fcName)));
}

TFileListView::TFileListView(TFileListContext context, QObject* parent)
    : QObject(parent), ctx_(std::move(context)) {
  CreatePopupMenus();
  ConnectSignals();
}

void TFileListView::CreatePopupMenus() {
  QWidget* list = ctx_.List;
  PopupMenuFiles = new QMenu(list);
  MenuItemAssign = PopupMenuFiles->addAction(QStringLiteral("この曲を割り当てる(&A)"));
  PopupMenuFiles->addSeparator();
  MenuItemPlay = PopupMenuFiles->addAction(ctx_.ActionPlayMp3->text());
  connect(MenuItemPlay, &QAction::triggered, ctx_.ActionPlayMp3, &QAction::trigger);
  PopupMenuFiles->setDefaultAction(MenuItemPlay);
  MenuSort = PopupMenuFiles->addMenu(QStringLiteral("ソート(&S)"));
  for (QAction* action : ctx_.SortActions) MenuSort->addAction(action);
  MenuItemRemove = PopupMenuFiles->addAction(QStringLiteral("一覧から除外(&R)"));
  connect(MenuItemRemove, &QAction::triggered, this, &TFileListView::RemoveSelectedRow);

  PopupMenuTree = new QMenu(ctx_.Tree);
  MenuItemSearch = PopupMenuTree->addAction(ctx_.ActionSearchMp3Files->text());
  // The item shows the command's key; the key itself stays the window's action's.
  MenuItemSearch->setShortcut(ctx_.ActionSearchMp3Files->shortcut());
  MenuItemSearch->setShortcutContext(Qt::WidgetShortcut);
  connect(MenuItemSearch, &QAction::triggered, this,
          [this] { emit SearchFolderRequested(PopupTreePath); });
  MenuItemExplorer = PopupMenuTree->addAction(QStringLiteral("エクスプローラーで表示(&E)"));
  connect(MenuItemExplorer, &QAction::triggered, this, &TFileListView::ShowInFileManager);
}

void TFileListView::ConnectSignals() {
  QTreeWidget* list = ctx_.List;
  TFolderTreeView* tree = ctx_.Tree;
  connect(tree, &QTreeWidget::itemSelectionChanged, this, &TFileListView::TreeSelectionChanged);
  tree->viewport()->installEventFilter(this);
  tree->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(tree, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    // The menu is about the folder under the pointer, which a right click selects.
    if (QTreeWidgetItem* node = ctx_.Tree->itemAt(pos)) ctx_.Tree->setCurrentItem(node);
    UpdatePopupMenuTree();
    PopupMenuTree->popup(ctx_.Tree->viewport()->mapToGlobal(pos));
  });

  connect(list->header(), &QHeaderView::sectionClicked, this, &TFileListView::SortFiles);
  connect(list, &QTreeWidget::itemSelectionChanged, this, &TFileListView::FileSelectionChanged);
  connect(list, &QTreeWidget::itemDoubleClicked, this, &TFileListView::FileDoubleClicked);
  list->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(list, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    UpdatePopupMenuFiles();
    PopupMenuFiles->popup(ctx_.List->viewport()->mapToGlobal(pos));
  });
  for (QAction* action : ctx_.SortActions) {
    connect(action, &QAction::triggered, this, [this, action] {
      const int tag = action->data().toInt();
      if (tag >= 0 && tag < static_cast<int>(kSortActionColumns.size())) {
        SortFiles(kSortActionColumns[tag]);
      }
    });
  }
  connect(ctx_.ActionUpdateTree, &QAction::triggered, this, &TFileListView::UpdateTree);
}

// Reading a file's row can take a millisecond on a cold disk, so a large folder fills the list
// in view, row by row; Esc stops it with the rows read so far.
void TFileListView::FillFileList(const std::string& folder) {
  if (!DirectoryExists(folder)) return;
  TBusyWork work(ctx_.StatusPanel);
  ResetSortMarks();
  // Hidden rather than 0 wide: a column before others cannot be narrower than the header's
  // minimum.
  ctx_.List->setColumnHidden(fcFolder, true);
  ctx_.List->clear();
  const std::vector<std::string> names = ListFiles(folder, "*.mp3");
  const auto progress = [&] {
    ShowPendingRows();
    return QStringLiteral("読み込み中: %1 / %2 ファイル (Esc で中止)")
        .arg(QLocale().toString(ctx_.List->topLevelItemCount()))
        .arg(QLocale().toString(static_cast<qlonglong>(names.size())));
  };
  for (size_t i = 0; i < names.size() && work.KeepAlive(progress); ++i) {
    AddFileRow(folder, names[i]);
  }
  ShowPendingRows();
  UpdateSortActions();
}

void TFileListView::AddFileRow(const std::string& folder, const std::string& name,
                               const TFileFilter* filter) {
  // The game's music folder shows only the game's own files, never the copies Apply put there.
  if (SameText(WithoutTrailingSeparator(folder), WithoutTrailingSeparator(*ctx_.MusicFolder)) &&
      ctx_.DefaultConfig->IndexOfFile(JoinPath(folder, name)) < 0) {
    return;
  }
  const TFileRow row = ReadFileRow(folder, name, *ctx_.Tags);
  if (filter == nullptr || filter->Matches(row)) pending_rows_.append(MakeItem(row));
}

void TFileListView::ShowPendingRows() {
  ctx_.List->addTopLevelItems(pending_rows_);
  pending_rows_.clear();
}

void TFileListView::ResetSortMarks() {
  sort_marks_.fill(0);
  ctx_.List->header()->setSortIndicatorShown(false);
}

bool TFileListView::CompareRows(const QTreeWidgetItem* a, const QTreeWidgetItem* b, int column,
                                int direction) const {
  if (IsNumericColumn(column)) {
    const qlonglong na = a->data(column, kNumberRole).toLongLong();
    const qlonglong nb = b->data(column, kNumberRole).toLongLong();
    return direction * (nb < na ? -1 : nb > na ? 1 : 0) < 0;
  }
  // Folder and name: rows of one folder sort by name, as the folder column leaves them unordered.
  if (column == fcFolder)
    return direction * CompareNames(FileListRowPath(a), FileListRowPath(b)) < 0;
  return direction * CompareNames(Utf8(a->text(column)), Utf8(b->text(column))) < 0;
}

void TFileListView::SortFiles(int column) {
  if (column < 0 || column >= static_cast<int>(sort_marks_.size())) return;
  const int mark = sort_marks_[column] == 0 ? 1 : -sort_marks_[column];
  sort_marks_.fill(0);
  sort_marks_[column] = mark;

  QTreeWidget* list = ctx_.List;
  QTreeWidgetItem* selected = list->selectedItems().value(0);
  const QSignalBlocker block(list);
  QList<QTreeWidgetItem*> rows;
  while (list->topLevelItemCount() > 0) rows << list->takeTopLevelItem(0);
  std::stable_sort(rows.begin(), rows.end(), [&](QTreeWidgetItem* a, QTreeWidgetItem* b) {
    return CompareRows(a, b, column, mark);
  });
  list->addTopLevelItems(rows);
  if (selected != nullptr) list->setCurrentItem(selected);
  // The arrow shows the order on screen: names upwards, numbers largest first.
  const bool ascending = IsNumericColumn(column) ? mark < 0 : mark > 0;
  list->header()->setSortIndicatorShown(true);
  list->header()->setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
}

int TFileListView::SortedColumn() const {
  const auto it =
      std::find_if(sort_marks_.begin(), sort_marks_.end(), [](int mark) { return mark != 0; });
  return it == sort_marks_.end() ? -1 : static_cast<int>(it - sort_marks_.begin());
}

void TFileListView::RestoreSort(int column, int mark) {
  if (column < 0 || column >= static_cast<int>(sort_marks_.size()) || (mark != 1 && mark != -1))
    return;
  // SortFiles reverses the mark it finds.
  sort_marks_.fill(0);
  sort_marks_[column] = -mark;
  SortFiles(column);
}

void TFileListView::UpdateSortActions() {
  const bool enabled = ctx_.List->topLevelItemCount() > 1;
  for (QAction* action : ctx_.SortActions) action->setEnabled(enabled);
}

std::string TFileListView::SelectedFilePath() const {
  const QList<QTreeWidgetItem*> selected = ctx_.List->selectedItems();
  if (selected.isEmpty()) return {};
  return FileListRowPath(selected.first());
}

void TFileListView::ShowFileInfo(const std::string& path) {
  ctx_.StatusPanel->setText(QString::fromStdString(FileInfoSummary(path, *ctx_.Tags)));
}

bool TFileListView::JumpToFile(const std::string& path) {
  ctx_.Tree->SelectPath(WithoutTrailingSeparator(ExtractFilePath(path)));
  const QString name = QString::fromStdString(ExtractFileName(path));
  bool found = false;
  for (int row = 0; row < ctx_.List->topLevelItemCount() && !found; ++row) {
    QTreeWidgetItem* item = ctx_.List->topLevelItem(row);
    found = SameText(Utf8(item->text(fcName)), Utf8(name));
    if (found) ctx_.List->setCurrentItem(item);
  }
  const QList<QTreeWidgetItem*> selected = ctx_.List->selectedItems();
  if (!selected.isEmpty()) ctx_.List->scrollToItem(selected.first());
  return found;
}

void TFileListView::RemoveSelectedRow() {
  const QList<QTreeWidgetItem*> selected = ctx_.List->selectedItems();
  if (selected.isEmpty()) return;
  delete selected.first();
  UpdateSortActions();
}

void TFileListView::UpdateTree() {
  ctx_.Tree->RefreshAll();
  std::string path;
  ctx_.Tree->GetSelectedPath(path);
  FillFileList(path);
}

void TFileListView::ShowInFileManager() {
  std::string path;
  ctx_.Tree->GetSelectedPath(path);
  if (!DirectoryExists(path)) return;
  QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
}

void TFileListView::UpdatePopupMenuFiles() {
  const bool file_selected = !ctx_.List->selectedItems().isEmpty();
  MenuItemAssign->setEnabled(file_selected && CanAssignToScenes && CanAssignToScenes());
  MenuItemPlay->setEnabled(file_selected);
  const bool sortable = std::all_of(ctx_.SortActions.begin(), ctx_.SortActions.end(),
                                    [](QAction* action) { return action->isEnabled(); });
  MenuSort->setEnabled(sortable);
  MenuItemRemove->setEnabled(sortable);
}

std::string TFileListView::SelectedFolder() const {
  std::string path;
  ctx_.Tree->GetSelectedPath(path);
  return path;
}

void TFileListView::UpdatePopupMenuTree() {
  ctx_.Tree->GetSelectedPath(PopupTreePath);
  MenuItemSearch->setEnabled(DirectoryExists(PopupTreePath));
}

void TFileListView::TreeSelectionChanged() {
  std::string path;
  ctx_.Tree->GetSelectedPath(path);
  FillFileList(path);
}

void TFileListView::FileSelectionChanged() {
  if (ctx_.List->selectedItems().isEmpty()) return;
  ShowFileInfo(SelectedFilePath());
}

// A click on a node's picture or caption opens or closes it, as in a file manager; the rest of
// the row (and the expand mark, which Qt handles itself) is left alone.
bool TFileListView::ToggleNodeAt(const QPoint& point) {
  QTreeWidgetItem* item = ctx_.Tree->itemAt(point);
  if (item == nullptr) return false;
  const QRect cell = ctx_.Tree->visualItemRect(item);
  const int label_width = ctx_.Tree->iconSize().width() +
                          ctx_.Tree->fontMetrics().horizontalAdvance(item->text(0)) + 12;
  if (point.x() < cell.left() || point.x() > cell.left() + label_width) return false;
  item->setExpanded(!item->isExpanded());
  return true;
}

bool TFileListView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == ctx_.Tree->viewport() && event->type() == QEvent::MouseButtonRelease) {
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton) ToggleNodeAt(mouse->position().toPoint());
  }
  return QObject::eventFilter(watched, event);
}
