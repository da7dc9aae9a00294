// The file list of the lower area.
#include <QAction>
#include <QTreeWidget>

#include "app/main.h"

void TFormMain::UpdateSortActions() {
  const bool enabled = ListViewFiles->topLevelItemCount() > 1;
  for (QAction* action : FilesActions()) action->setEnabled(enabled);
}
