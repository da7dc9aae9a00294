// The file list of the lower area.
#include <QAction>
#include <QTreeWidget>

#include "app/main.h"
#include "platform/files.h"

namespace {

constexpr int kFolderColumn = 8;

}  // namespace

void TFormMain::UpdateSortActions() {
  const bool enabled = ListViewFiles->topLevelItemCount() > 1;
  for (QAction* action : FilesActions()) action->setEnabled(enabled);
}

std::string TFormMain::SelectedFilePath() const {
  const QList<QTreeWidgetItem*> selected = ListViewFiles->selectedItems();
  if (selected.isEmpty()) return {};
  return JoinPath(selected.front()->text(kFolderColumn).toStdString(),
                  selected.front()->text(0).toStdString());
}
