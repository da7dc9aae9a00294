#include "app/config_view.h"

#include <QAction>
#include <QComboBox>
#include <QDropEvent>
#include <QMenu>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <algorithm>
#include <exception>

#include "app/config/config_edit.h"
#include "app/config/config_files.h"
#include "app/config/config_names.h"
#include "app/config/debug_out.h"
#include "app/config/korva_config.h"
#include "app/file_drag.h"
#include "app/file_list_view.h"
#include "app/file_row.h"
#include "platform/files.h"
#include "platform/prompts.h"

namespace {

enum TConfigColumn { ccScene, ccLoop, ccFile, ccTitle, ccArtist, ccPath };

// Rows beyond the labelled ones, and rows whose label is empty, show their number.
constexpr int kLabelledRows = 71;

QString Utf8(const std::string& text) { return QString::fromStdString(text); }

QString SceneCaption(const std::vector<std::string>& names, int row) {
  if (row < kLabelledRows && row < static_cast<int>(names.size()) && !names[row].empty()) {
    return Utf8(names[row]);
  }
  return QString::number(row);
}

}  // namespace

TConfigView::TConfigView(TConfigViewContext context, QObject* parent)
    : QObject(parent), ctx_(std::move(context)) {
  CreatePopupMenu();
  ConnectSignals();
  ctx_.List->viewport()->setAcceptDrops(true);
  ctx_.List->viewport()->installEventFilter(this);
  ctx_.FileList->CanAssignToScenes = [this] {
    return !SelectedRows().empty() && IsUserConfigSelected();
  };
}

void TConfigView::CreatePopupMenu() {
  PopupMenuConfig = new QMenu(ctx_.List);
  MenuItemLoop = PopupMenuConfig->addAction(QStringLiteral("ループ(&L)"));
  MenuItemLoop->setCheckable(true);
  connect(MenuItemLoop, &QAction::triggered, this, &TConfigView::ToggleLoop);
  MenuItemAssign = PopupMenuConfig->addAction(QString());
  PopupMenuConfig->addAction(ctx_.ActionJumpToFile);
  PopupMenuConfig->addSeparator();
  MenuItemPlay = PopupMenuConfig->addAction(ctx_.ActionPlayMp3->text());
  connect(MenuItemPlay, &QAction::triggered, ctx_.ActionPlayMp3, &QAction::trigger);
  PopupMenuConfig->setDefaultAction(MenuItemPlay);
  MenuItemRestoreDefault = PopupMenuConfig->addAction(QStringLiteral("標準の設定に戻す(&R)"));
}

void TConfigView::ConnectSignals() {
  connect(ctx_.List, &QTreeWidget::itemSelectionChanged, this, &TConfigView::SelectionChanged);
  connect(ctx_.List, &QTreeWidget::itemDoubleClicked, ctx_.ActionPlayMp3, &QAction::trigger);
  connect(ctx_.ActionJumpToFile, &QAction::triggered, this, &TConfigView::JumpToSelectedFile);
  ctx_.List->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(ctx_.List, &QWidget::customContextMenuRequested, this, [this](const QPoint& pos) {
    UpdatePopupMenuConfig();
    PopupMenuConfig->popup(ctx_.List->viewport()->mapToGlobal(pos));
  });
}

bool TConfigView::IsUserConfigSelected() const {
  return ctx_.ComboBoxConfigs->currentIndex() >= 0 && !ctx_.IsDefaultSelected();
}

const TKorvaConfigItem* TConfigView::RowItem(int row) const {
  return row >= 0 && row < static_cast<int>(row_items_.size()) ? row_items_[row] : nullptr;
}

void TConfigView::ShowSelectedConfig() {
  if (ctx_.ComboBoxConfigs->currentIndex() < 0) {
    ctx_.List->clear();
    row_items_.clear();
    return;
  }
  // The overrides in memory belong to the configuration shown until now. When they cannot reach
  // its playlist, the box goes back to it and nothing changes, so that they are neither lost
  // nor ever saved under another configuration's name.
  if (!SavePreviousConfig()) {
    SelectEntry(*ctx_.CurrentConfigName);
    return;
  }
  const std::string previous = *ctx_.CurrentConfigName;
  if (!FillRows()) {
    // The configuration shown before has just been saved, so showing it again loses nothing.
    SelectEntry(previous);
    if (previous.empty() || !FillRows()) {
      SelectEntry("");
      FillRows();
    }
  }
  ctx_.ActionDeleteConfig->setEnabled(IsUserConfigSelected());
}

bool TConfigView::SavePreviousConfig() {
  if (ctx_.CurrentConfigName->empty()) return true;
  // A configuration whose playlist has been deleted is not recreated.
  if (!FileExists(ConfigFileName(*ctx_.CurrentConfigName, ctx_.ProgramFolder))) return true;
  return SaveUserConfig(*ctx_.UserConfig, *ctx_.CurrentConfigName, *ctx_.Prompts,
                        ctx_.ProgramFolder);
}

// Selects the entry of a configuration in the box without showing it; "" is "<標準>". An entry
// that is no longer in the box is put back, so that the configuration in memory stays shown.
void TConfigView::SelectEntry(const std::string& name) {
  const QString entry = Utf8(name.empty() ? std::string(kDefaultConfigName) : name);
  const QSignalBlocker blocker(ctx_.ComboBoxConfigs);
  int index = ctx_.ComboBoxConfigs->findText(entry, Qt::MatchExactly);
  if (index < 0) {
    ctx_.ComboBoxConfigs->addItem(entry);
    index = ctx_.ComboBoxConfigs->count() - 1;
  }
  ctx_.ComboBoxConfigs->setCurrentIndex(index);
}

// Fills the rows of the entry selected in the box; false when its playlist cannot be read, which
// the person is told. Then nothing of any configuration is in memory and no rows are shown.
bool TConfigView::FillRows() {
  ctx_.List->clear();
  row_items_.clear();
  bool loaded = true;
  if (ctx_.IsDefaultSelected()) {
    ctx_.CurrentConfigName->clear();
  } else {
    const std::string name = ctx_.ComboBoxConfigs->currentText().toStdString();
    try {
      ctx_.UserConfig->LoadFromPlaylist(ConfigFileName(name, ctx_.ProgramFolder));
      *ctx_.CurrentConfigName = name;
    } catch (const std::exception& error) {
      ctx_.CurrentConfigName->clear();
      ctx_.Prompts->ShowMessage(error.what());
      loaded = false;
    }
  }
  ctx_.List->setUpdatesEnabled(false);
  ctx_.List->setColumnWidth(ccPath, 0);
  if (loaded) {
    for (int row = 0; row < ctx_.DefaultConfig->Count(); ++row) AddRow(row);
  }
  ctx_.List->resizeColumnToContents(ccPath);
  ctx_.List->setUpdatesEnabled(true);
  return loaded;
}

const TKorvaConfigItem* TConfigView::ItemPlayingAt(int row) const {
  const TKorvaConfigItem& item = ctx_.DefaultConfig->Items(row);
  return ctx_.IsDefaultSelected() ? &item : &EffectiveItem(item, *ctx_.UserConfig);
}

void TConfigView::AddRow(int row) {
  auto* list_item = new QTreeWidgetItem;
  list_item->setText(ccScene, SceneCaption(*ctx_.SceneNames, row));
  ctx_.List->addTopLevelItem(list_item);
  row_items_.push_back(ItemPlayingAt(row));
  RefreshConfigRow(row);
}

// Every row of the scene is pointed at what plays for it now: an edit may have added or freed
// the user item, and the game's table may name the scene on more than one row. A row whose
// override is gone shows its own default item, as it would when the configuration is shown anew.
void TConfigView::ShowScene(int scene) {
  for (int row = 0; row < static_cast<int>(row_items_.size()); ++row) {
    if (ctx_.DefaultConfig->Items(row).Scene != scene) continue;
    row_items_[row] = ItemPlayingAt(row);
    RefreshConfigRow(row);
  }
}

void TConfigView::RefreshConfigRow(int row) {
  const TKorvaConfigItem& item = *row_items_.at(row);
  QTreeWidgetItem* list_item = ctx_.List->topLevelItem(row);
  list_item->setText(ccLoop, item.Loop ? QStringLiteral("はい") : QString());
  list_item->setText(ccFile, Utf8(ChangeFileExt(ExtractFileName(item.FileName), "")));
  TMp3FileInfo info;
  ReadMp3FileInfoOrEmpty(item.FileName, info, *ctx_.Tags);
  list_item->setText(ccTitle, Utf8(info.Title));
  list_item->setText(ccArtist, Utf8(info.Artist));
  list_item->setText(ccPath, Utf8(item.FileName));
  // A user's override is drawn in blue; the game's own assignment in the normal colour.
  const QBrush brush = item.IsDefault ? QBrush() : QBrush(QColor(0, 0, 255));
  for (int column = 0; column < ctx_.List->columnCount(); ++column) {
    list_item->setForeground(column, brush);
  }
}

std::vector<int> TConfigView::SelectedRows() const {
  std::vector<int> rows;
  for (QTreeWidgetItem* item : ctx_.List->selectedItems()) {
    rows.push_back(ctx_.List->indexOfTopLevelItem(item));
  }
  std::sort(rows.begin(), rows.end());
  return rows;
}

void TConfigView::SelectionChanged() {
  const std::vector<int> rows = SelectedRows();
  ctx_.ActionJumpToFile->setEnabled(!rows.empty());
  if (rows.empty()) return;
  if (ctx_.ActionAutoJump->isChecked()) JumpToSelectedFile();
  QTreeWidgetItem* current = ctx_.List->currentItem();
  const int row = current != nullptr && current->isSelected()
                      ? ctx_.List->indexOfTopLevelItem(current)
                      : rows.front();
  ctx_.FileList->ShowFileInfo(RowItem(row)->FileName);
}

void TConfigView::JumpToSelectedFile() {
  const std::vector<int> rows = SelectedRows();
  if (rows.empty()) return;
  ctx_.FileList->JumpToFile(RowItem(rows.front())->FileName);
}

void TConfigView::ToggleLoop() {
  const std::vector<int> rows = SelectedRows();
  if (rows.empty()) return;
  // The menu's check mark shows the first selected row; every row gets the opposite.
  const bool loop = !RowItem(rows.front())->Loop;
  EditSelectedScenes([&](const TKorvaConfigItem& item) {
    SetSceneLoop(item, loop, *ctx_.DefaultConfig, *ctx_.UserConfig);
  });
}

void TConfigView::EditSelectedScenes(const std::function<void(const TKorvaConfigItem&)>& edit) {
  EditScenes(SelectedRows(), edit);
}

void TConfigView::EditScenes(const std::vector<int>& rows,
                             const std::function<void(const TKorvaConfigItem&)>& edit) {
  if (!IsUserConfigSelected()) return;
  for (int row : rows) {
    // The edit may free the row's item, so its scene is taken first.
    const int scene = RowItem(row)->Scene;
    edit(*RowItem(row));
    ShowScene(scene);
  }
  DebugOut(std::to_string(ctx_.UserConfig->Count()));
}

void TConfigView::UpdatePopupMenuConfig() {
  const std::vector<int> rows = SelectedRows();
  const bool editable = !rows.empty() && IsUserConfigSelected();
  MenuItemLoop->setEnabled(editable);
  MenuItemLoop->setChecked(!rows.empty() && RowItem(rows.front())->Loop);
  const std::string file = ctx_.FileList->SelectedFilePath();
  MenuItemAssign->setVisible(editable && !file.empty());
  MenuItemAssign->setText(Utf8(ExtractFileName(file)) + QStringLiteral(" を割り当てる(&A)"));
}

bool TConfigView::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (watched != ctx_.List->viewport() ||
      (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)) {
    return QObject::eventFilter(watched, event);
  }
  auto& drop = static_cast<QDropEvent&>(*event);
  std::vector<std::string> files;
  if (IsUserConfigSelected()) files = DraggedMp3Files(*drop.mimeData());
  QTreeWidgetItem* item = ctx_.List->itemAt(drop.position().toPoint());
  // Entering over the header or below the rows must not refuse the whole drag: the rows are
  // judged as it moves.
  if (files.empty() || (item == nullptr && type != QEvent::DragEnter)) {
    drop.ignore();
    return true;
  }
  // Always a copy: the dragged file stays where it is, in the file list and in a file manager.
  drop.setDropAction(Qt::CopyAction);
  drop.accept();
  if (type == QEvent::Drop) {
    // Assigned once the drop is over: a message about a refused file must not hold up the
    // program the files came from, which waits for the drop to finish.
    const int row = ctx_.List->indexOfTopLevelItem(item);
    QMetaObject::invokeMethod(
        this, [this, files, row] { emit FilesDropped(files, row); }, Qt::QueuedConnection);
  }
  return true;
}
