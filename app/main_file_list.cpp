// The lower area: the folder tree and the file list beside it.
#include <QAction>
#include <QHeaderView>
#include <QVBoxLayout>

#include "app/main.h"
#include "app/search.h"
#include "controls/folder_tree_view.h"

namespace {

// The tree's indent, as the window is designed.
constexpr int kTreeIndent = 19;

}  // namespace

void TFormMain::CreateFileListView() {
  TreeViewFolders = new TFolderTreeView(PanelFolderTree);
  TreeViewFolders->setObjectName("TreeViewFolders");
  TreeViewFolders->setIndentation(kTreeIndent);
  // A click on a folder already opens and closes it; a double click would undo that.
  TreeViewFolders->setExpandsOnDoubleClick(false);
  // A deep folder's name is shown whole and the tree scrolls sideways, rather than "…".
  TreeViewFolders->header()->setStretchLastSection(false);
  TreeViewFolders->header()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
  TreeViewFolders->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  TreeViewFolders->SetDriveTypes({dtNoDrive, dtFixed, dtCDROM});
  TreeViewFolders->LoadDrives(TreeViewFolders->DriveTypes());
  PanelFolderTreeLayout->addWidget(TreeViewFolders);

  TFileListContext context;
  context.List = ListViewFiles;
  context.Tree = TreeViewFolders;
  context.StatusPanel = StatusPanel;
  context.SortActions = FilesActions();
  context.ActionPlayMp3 = ActionPlayMp3;
  context.ActionUpdateTree = ActionUpdateTree;
  context.ActionSearchMp3Files = ActionSearchMp3Files;
  context.MusicFolder = &MusicFolder();
  context.DefaultConfig = &DefaultConfig;
  context.Tags = &Mp3Info;
  FileList = std::make_unique<TFileListView>(context);
  connect(FileList->MenuItemAssign, &QAction::triggered, this, &TFormMain::AssignSelectedFile);
  connect(ActionSearchMp3Files, &QAction::triggered, this,
          [this] { SearchMp3Files(this, *FileList, Prompts(), FileList->SelectedFolder()); });
  connect(
      FileList.get(), &TFileListView::SearchFolderRequested, this,
      [this](const std::string& folder) { SearchMp3Files(this, *FileList, Prompts(), folder); });
}

void TFormMain::UpdateSortActions() { FileList->UpdateSortActions(); }

std::string TFormMain::SelectedFilePath() const { return FileList->SelectedFilePath(); }
