#include "app/config_view.h"

#include <QAction>
#include <QComboBox>
#include <QMenu>
#include <QTreeWidget>
#include <algorithm>
#include <exception>

#include "app/config/config_edit.h"
#include "app/config/config_names.h"
#include "app/config/debug_out.h"
#include "app/config/korva_config.h"
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
  ctx_.List->clear();
  row_items_.clear();
  if (ctx_.ComboBoxConfigs->currentIndex() < 0) return;
  try {
    SavePreviousConfig();
    FillRows();
  } catch (const std::exception& error) {
    // Whatever the rows show so far stays; the columns are sized and drawing resumes as usual.
    ctx_.List->resizeColumnToContents(ccPath);
    ctx_.List->setUpdatesEnabled(true);
    if (ctx_.Prompts != nullptr) ctx_.Prompts->ShowMessage(error.what());
    return;
  }
  ctx_.ActionDeleteConfig->setEnabled(IsUserConfigSelected());
}

// The configuration shown until now goes back to its playlist, unless that has been deleted.
void TConfigView::SavePreviousConfig() {
  if (ctx_.CurrentConfigName->empty()) return;
  const std::string path = ConfigFileName(*ctx_.CurrentConfigName, ctx_.ProgramFolder);
  DebugOut("Save=" + path);
  if (FileExists(path)) ctx_.UserConfig->SaveToPlaylist(path);
}

void TConfigView::FillRows() {
  ctx_.List->setUpdatesEnabled(false);
  ctx_.List->setColumnWidth(ccPath, 0);
  if (ctx_.IsDefaultSelected()) {
    ctx_.CurrentConfigName->clear();
  } else {
    *ctx_.CurrentConfigName = ctx_.ComboBoxConfigs->currentText().toStdString();
    ctx_.UserConfig->LoadFromPlaylist(ConfigFileName(*ctx_.CurrentConfigName, ctx_.ProgramFolder));
  }
  for (int row = 0; row < ctx_.DefaultConfig->Count(); ++row) AddRow(row);
  ctx_.List->resizeColumnToContents(ccPath);
  ctx_.List->setUpdatesEnabled(true);
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
  if (!IsUserConfigSelected()) return;
  for (int row : SelectedRows()) {
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
