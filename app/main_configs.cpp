// The configuration box and the editing of configurations: creating, deleting, saving,
// assigning files to scenes, returning scenes to the game's music, and applying.
#include <QAction>
#include <QComboBox>
#include <QSignalBlocker>

#include "app/config/apply.h"
#include "app/config/config_names.h"
#include "app/config/debug_out.h"
#include "app/main.h"
#include "app/newconfig.h"
#include "platform/files.h"
#include "platform/text_compare.h"

namespace {

// The configuration box marks its "<標準>" entry with this role.
constexpr int kIsDefaultRole = Qt::UserRole + 1;

constexpr char kMsgSaveFailed[] = "設定の保存に失敗しました\n";
constexpr char kMsgSaveFailedTail[] = "に書き込めません";
constexpr char kMsgCreateFailed[] = "新規設定の作成に失敗しました\nファイルを作成できません";
constexpr char kMsgDeleteQuestion[] = " を削除します";
constexpr char kMsgDeleteConfigFailed[] = "を削除できませんでした";

std::string ToStd(const QString& text) { return text.toStdString(); }

}  // namespace

void TFormMain::FillConfigBox() {
  const QSignalBlocker blocker(ComboBoxConfigs);
  ComboBoxConfigs->clear();
  ComboBoxConfigs->addItem(QString::fromUtf8(kDefaultConfigName));
  ComboBoxConfigs->setItemData(0, true, kIsDefaultRole);
  for (const std::string& name : ListConfigs(PlaylistFolder()))
    ComboBoxConfigs->addItem(QString::fromStdString(name));
  ComboBoxConfigs->setCurrentIndex(-1);
}

bool TFormMain::IsDefaultSelected() const {
  const int index = ComboBoxConfigs->currentIndex();
  return index >= 0 && ComboBoxConfigs->itemData(index, kIsDefaultRole).toBool();
}

bool TFormMain::IsUserConfigSelected() const {
  return ComboBoxConfigs->currentIndex() >= 0 && !IsDefaultSelected();
}

void TFormMain::SelectConfig(int index) {
  {
    const QSignalBlocker blocker(ComboBoxConfigs);
    ComboBoxConfigs->setCurrentIndex(index);
  }
  ShowSelectedConfig();
}

bool TFormMain::IsSameAsDefault(const TKorvaConfigItem& item) const {
  const int index = DefaultConfig.IndexOfScene(item.Scene);
  if (index < 0) return false;
  const TKorvaConfigItem& def = DefaultConfig.Items(index);
  return SameText(def.FileName, item.FileName) && def.Loop == item.Loop;
}

bool TFormMain::SaveCurrentConfig() {
  if (ComboBoxConfigs->currentIndex() < 0) return false;
  if (IsDefaultSelected()) return true;
  const std::string path = ConfigFileName(ToStd(ComboBoxConfigs->currentText()), PlaylistFolder());
  try {
    UserConfig.SaveToPlaylist(path);
  } catch (const TFileError&) {
    Prompts().ShowMessage(kMsgSaveFailed + path + kMsgSaveFailedTail);
    return false;
  }
  return true;
}

void TFormMain::ActionApplyExecute() {
  SaveCurrentConfig();
  if (ComboBoxConfigs->currentIndex() < 0) return;
  const std::string name =
      IsDefaultSelected() ? kDefaultConfigName : ToStd(ComboBoxConfigs->currentText());
  ApplyConfig(name, DefaultConfig, UserConfig, MusicFolder(), Prompts());
}

void TFormMain::ActionNewConfigExecute() {
  if (!SaveCurrentConfig()) return;
  QStringList entries;
  for (int i = 0; i < ComboBoxConfigs->count(); ++i) entries << ComboBoxConfigs->itemText(i);
  TFormNewConfig dialog(entries, PlaylistFolder(), Prompts(), this);
  if (dialog.exec() != QDialog::Accepted) return;
  const std::string name = ToStd(dialog.NewName());
  const std::string target = ConfigFileName(name, PlaylistFolder());
  if (dialog.SourceIndex() > 0) {
    const std::string source = ToStd(entries[dialog.SourceIndex()]);
    DebugOut("NewName=" + name);
    DebugOut("SourceName=" + source);
    if (!FileCopy(ConfigFileName(source, PlaylistFolder()), target, false)) {
      Prompts().ShowMessage(kMsgCreateFailed);
      return;
    }
  } else {
    TKorvaConfig().SaveToPlaylist(target);
  }
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
  if (index < 0) return;
  const std::string name = ToStd(ComboBoxConfigs->currentText());
  if (Prompts().Ask(name + kMsgDeleteQuestion, TPromptIcon::pciWarning,
                    TPromptButtons::pcbOkCancel) != TPromptAnswer::pcaOk)
    return;
  {
    const QSignalBlocker blocker(ComboBoxConfigs);
    ComboBoxConfigs->removeItem(index);
  }
  const std::string path = ConfigFileName(name, PlaylistFolder());
  if (FileExists(path) && !FileDelete(path)) Prompts().ShowMessage(path + kMsgDeleteConfigFailed);
  SelectConfig(std::min(index, ComboBoxConfigs->count() - 1));
}

void TFormMain::AssignSelectedFile() {
  if (!IsUserConfigSelected()) return;
  const std::string path = SelectedFilePath();
  if (path.empty()) return;
  for (int row : SelectedConfigRows()) {
    TKorvaConfigItem* item = ConfigRowItem(row);
    if (item->IsDefault) {
      const int scene = item->Scene;
      const bool loop = item->Loop;
      item = &UserConfig.Add();
      item->Scene = scene;
      item->Loop = loop;
    }
    item->FileName = path;
    if (IsSameAsDefault(*item)) {
      const int scene = item->Scene;
      UserConfig.Remove(item);
      item = &DefaultConfig.Items(DefaultConfig.IndexOfScene(scene));
    }
    SetConfigRowItem(row, item);
    RefreshConfigRow(row);
  }
  DebugOut(std::to_string(UserConfig.Count()));
}

void TFormMain::RestoreSelectedScenes() {
  for (int row : SelectedConfigRows()) {
    TKorvaConfigItem* item = ConfigRowItem(row);
    if (item->IsDefault) continue;
    const int index = DefaultConfig.IndexOfScene(item->Scene);
    if (index >= 0) {
      UserConfig.Remove(item);
      SetConfigRowItem(row, &DefaultConfig.Items(index));
    }
    RefreshConfigRow(row);
  }
}
