// The configuration view: the scene list of the configuration selected in the box.
#include <QAction>
#include <QComboBox>
#include <QHeaderView>
#include <QTreeWidget>
#include <algorithm>

#include "app/config/config_names.h"
#include "app/config/debug_out.h"
#include "app/main.h"
#include "platform/files.h"

namespace {

// Each scene list row keeps a pointer to the item it shows in this role of column 0.
constexpr int kRowItemRole = Qt::UserRole + 1;

// Overrides of the user configuration are drawn in blue.
const QColor kOverrideColour(0, 0, 255);

}  // namespace

void TFormMain::ShowSelectedConfig() {
  ListViewConfig->clear();
  if (ComboBoxConfigs->currentIndex() < 0) return;
  // The configuration shown so far is saved first, unless its playlist has been deleted.
  if (!CurrentConfigName.empty()) {
    const std::string path = ConfigFileName(CurrentConfigName, PlaylistFolder());
    DebugOut("Save=" + path);
    if (FileExists(path)) UserConfig.SaveToPlaylist(path);
  }
  ListViewConfig->setUpdatesEnabled(false);
  ListViewConfig->setColumnWidth(5, 0);
  const bool isDefault = IsDefaultSelected();
  if (isDefault) {
    CurrentConfigName.clear();
  } else {
    CurrentConfigName = ComboBoxConfigs->currentText().toStdString();
    UserConfig.LoadFromPlaylist(ConfigFileName(CurrentConfigName, PlaylistFolder()));
  }
  for (int row = 0; row < DefaultConfig.Count(); ++row) {
    TKorvaConfigItem* item = &DefaultConfig.Items(row);
    const int user = isDefault ? -1 : UserConfig.IndexOfScene(item->Scene);
    if (user >= 0) item = &UserConfig.Items(user);
    const std::string label =
        row < static_cast<int>(SceneNames.size()) ? SceneNames[row] : std::string();
    auto* rowItem = new QTreeWidgetItem(ListViewConfig);
    rowItem->setText(0, QString::fromStdString(label.empty() ? std::to_string(row) : label));
    SetConfigRowItem(row, item);
    RefreshConfigRow(row);
  }
  ListViewConfig->resizeColumnToContents(5);
  ListViewConfig->setUpdatesEnabled(true);
  ActionDeleteConfig->setEnabled(!isDefault);
}

TKorvaConfigItem* TFormMain::ConfigRowItem(int row) const {
  const QTreeWidgetItem* rowItem = ListViewConfig->topLevelItem(row);
  if (rowItem == nullptr) return nullptr;
  return reinterpret_cast<TKorvaConfigItem*>(rowItem->data(0, kRowItemRole).value<quintptr>());
}

void TFormMain::SetConfigRowItem(int row, TKorvaConfigItem* item) {
  ListViewConfig->topLevelItem(row)->setData(0, kRowItemRole,
                                             QVariant::fromValue(reinterpret_cast<quintptr>(item)));
}

void TFormMain::RefreshConfigRow(int row) {
  QTreeWidgetItem* rowItem = ListViewConfig->topLevelItem(row);
  const TKorvaConfigItem* item = ConfigRowItem(row);
  rowItem->setText(1, item->Loop ? QStringLiteral("はい") : QString());
  rowItem->setText(2, QString::fromStdString(ChangeFileExt(ExtractFileName(item->FileName), "")));
  rowItem->setText(5, QString::fromStdString(item->FileName));
  const QBrush text = item->IsDefault ? QBrush() : QBrush(kOverrideColour);
  for (int column = 0; column < ListViewConfig->columnCount(); ++column)
    rowItem->setForeground(column, text);
}

std::vector<int> TFormMain::SelectedConfigRows() const {
  std::vector<int> rows;
  for (QTreeWidgetItem* item : ListViewConfig->selectedItems())
    rows.push_back(ListViewConfig->indexOfTopLevelItem(item));
  std::sort(rows.begin(), rows.end());
  return rows;
}
