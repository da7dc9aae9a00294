// The configuration box and the editing of configurations: creating, deleting, saving,
// assigning files to scenes, returning scenes to the game's music, and applying.
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <algorithm>

#include "app/config/apply.h"
#include "app/config/config_edit.h"
#include "app/config/config_files.h"
#include "app/config/config_names.h"
#include "app/file_row.h"
#include "app/main.h"
#include "app/newconfig.h"
#include "platform/text_compare.h"

namespace {

// The configuration box marks its "<標準>" entry with this role.
constexpr int kIsDefaultRole = Qt::UserRole + 1;

constexpr char kMsgDeleteQuestion[] = " を削除します";

std::string ToStd(const QString& text) { return text.toStdString(); }

}  // namespace

void TFormMain::FillConfigBox() {
  const QSignalBlocker blocker(ComboBoxConfigs);
  ComboBoxConfigs->clear();
  ComboBoxConfigs->addItem(QString::fromUtf8(kDefaultConfigName));
  ComboBoxConfigs->setItemData(0, true, kIsDefaultRole);
  for (const std::string& name : ListConfigs(PlaylistFolder(), Prompts()))
    ComboBoxConfigs->addItem(QString::fromStdString(name));
  ComboBoxConfigs->setCurrentIndex(-1);
}

bool TFormMain::IsDefaultSelected() const {
  const int index = ComboBoxConfigs->currentIndex();
  return index >= 0 && ComboBoxConfigs->itemData(index, kIsDefaultRole).toBool();
}

void TFormMain::SelectConfig(int index) {
  {
    const QSignalBlocker blocker(ComboBoxConfigs);
    ComboBoxConfigs->setCurrentIndex(index);
  }
  ShowSelectedConfig();
}

// The overrides in memory are written to the playlist of the configuration they belong to,
// which the box shows; never under another name.
bool TFormMain::SaveCurrentConfig() {
  if (ComboBoxConfigs->currentIndex() < 0) return false;
  if (IsDefaultSelected() || CurrentConfigName.empty()) return true;
  return SaveUserConfig(UserConfig, CurrentConfigName, Prompts(), PlaylistFolder());
}

void TFormMain::ActionApplyExecute() {
  SaveCurrentConfig();
  if (ComboBoxConfigs->currentIndex() < 0) return;
  const std::string name =
      IsDefaultSelected() ? kDefaultConfigName : ToStd(ComboBoxConfigs->currentText());
  // A configuration whose copies partly failed is still the one in force.
  if (ApplyConfig(name, DefaultConfig, UserConfig, MusicFolder(), Prompts()) ==
      TApplyResult::arStopped) {
    return;
  }
  RecordAppliedConfig(IniFileName(), MusicFolder(), name);
  ShowAppliedConfig();
}

void TFormMain::ShowAppliedConfig() {
  const std::string name = AppliedConfig(IniFileName(), MusicFolder());
  StatusPanelGame->setText(
      name.empty() ? QString() : QStringLiteral("ゲームの設定: ") + QString::fromStdString(name));
}

void TFormMain::ActionNewConfigExecute() {
  if (!SaveCurrentConfig()) return;
  QStringList entries;
  for (int i = 0; i < ComboBoxConfigs->count(); ++i) entries << ComboBoxConfigs->itemText(i);
  TFormNewConfig dialog(entries, PlaylistFolder(), Prompts(), this);
  if (dialog.exec() != QDialog::Accepted) return;
  const std::string name = ToStd(dialog.NewName());
  const std::string source =
      dialog.SourceIndex() > 0 ? ToStd(entries[dialog.SourceIndex()]) : kDefaultConfigName;
  if (!CreateConfigFile(name, source, Prompts(), PlaylistFolder())) return;
  FillConfigBox();
  for (int i = 0; i < ComboBoxConfigs->count(); ++i) {
    if (SameText(ToStd(ComboBoxConfigs->itemText(i)), name)) {
      SelectConfig(i);
      return;
    }
  }
}

void TFormMain::ActionDeleteConfigExecute() {
  const int index = ComboBoxConfigs->currentIndex();
  if (index < 0 || IsDefaultSelected()) return;
  const std::string name = ToStd(ComboBoxConfigs->currentText());
  if (Prompts().Ask(name + kMsgDeleteQuestion, TPromptIcon::pciWarning,
                    TPromptButtons::pcbOkCancel) != TPromptAnswer::pcaOk)
    return;
  // A configuration exists as long as its playlist does: one that cannot be deleted stays in the
  // box and stays shown, with the edits not saved yet.
  if (!DeleteConfigFile(name, Prompts(), PlaylistFolder())) return;
  {
    const QSignalBlocker blocker(ComboBoxConfigs);
    ComboBoxConfigs->removeItem(index);
  }
  SelectConfig(std::min(index, ComboBoxConfigs->count() - 1));
}

void TFormMain::AssignSelectedFile() {
  const std::string path = SelectedFilePath();
  if (!path.empty()) AssignFile(path, ConfigView->SelectedRows());
}

void TFormMain::AssignFile(const std::string& path, const std::vector<int>& rows) {
  if (rows.empty() || !ConfigView->IsUserConfigSelected() || !CanAssignFile(path, Prompts())) {
    return;
  }
  // Apply would copy what cannot play into the game; it is refused here, where the person chose
  // it. Scenes given back their own game file copy nothing and need no check.
  const bool ownGameFile = std::all_of(rows.begin(), rows.end(), [&](int row) {
    const int scene = DefaultConfig.Items(row).Scene;
    return SameText(DefaultConfig.Items(DefaultConfig.IndexOfScene(scene)).FileName, path);
  });
  if (!ownGameFile && !ReadsAsMpegAudio(path, Mp3Info)) {
    Prompts().ShowMessage(path + kMsgNotMpegAudio);
    return;
  }
  ConfigView->EditScenes(rows, [&](const TKorvaConfigItem& item) {
    AssignFileToScene(item, path, DefaultConfig, UserConfig);
  });
}

void TFormMain::AssignDroppedFiles(const std::vector<std::string>& files, int row) {
  // One file dropped on a selected scene goes to every selected scene, as the assign action
  // does; on another scene, to that one.
  if (files.size() == 1) {
    std::vector<int> rows = ConfigView->SelectedRows();
    if (std::find(rows.begin(), rows.end(), row) == rows.end()) rows = {row};
    AssignFile(files.front(), rows);
    return;
  }
  // Several files fill the scenes from the one they were dropped on, in their order.
  for (std::size_t i = 0; i < files.size() && row < ListViewConfig->topLevelItemCount(); ++i)
    AssignFile(files[i], {row++});
}

void TFormMain::RestoreSelectedScenes() {
  ConfigView->EditSelectedScenes(
      [&](const TKorvaConfigItem& item) { ReturnSceneToDefault(item, DefaultConfig, UserConfig); });
}
