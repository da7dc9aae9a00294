// The configuration view: the scene list of the configuration selected in the box.
#include <QAction>

#include "app/main.h"

void TFormMain::CreateConfigView() {
  TConfigViewContext context;
  context.ComboBoxConfigs = ComboBoxConfigs;
  context.List = ListViewConfig;
  context.ActionJumpToFile = ActionJumpToFile;
  context.ActionAutoJump = ActionAutoJump;
  context.ActionDeleteConfig = ActionDeleteConfig;
  context.ActionPlayMp3 = ActionPlayMp3;
  context.DefaultConfig = &DefaultConfig;
  context.UserConfig = &UserConfig;
  context.CurrentConfigName = &CurrentConfigName;
  context.SceneNames = &SceneNames;
  context.ProgramFolder = PlaylistFolder();
  context.Tags = &Mp3Info;
  context.FileList = FileList.get();
  context.Prompts = setup_.Prompts;
  context.IsDefaultSelected = [this] { return IsDefaultSelected(); };
  ConfigView = std::make_unique<TConfigView>(context);
  connect(ConfigView->MenuItemAssign, &QAction::triggered, this, &TFormMain::AssignSelectedFile);
  connect(ConfigView.get(), &TConfigView::FilesDropped, this, &TFormMain::AssignDroppedFiles);
  connect(ConfigView->MenuItemRestoreDefault, &QAction::triggered, this,
          &TFormMain::RestoreSelectedScenes);
}

void TFormMain::ShowSelectedConfig() { ConfigView->ShowSelectedConfig(); }

const TKorvaConfigItem* TFormMain::ConfigRowItem(int row) const { return ConfigView->RowItem(row); }
