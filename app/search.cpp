#include "app/search.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>

#include "app/busy_work.h"
#include "app/config/folder_walk.h"
#include "app/dialog_buttons.h"
#include "app/file_list_view.h"
#include "app/file_row.h"
#include "app/window_font.h"
#include "controls/folder_tree_view.h"
#include "platform/files.h"
#include "platform/prompts.h"

namespace {

const char kMsgNoSuchFolder[] = "存在しないフォルダです";
// The folder column's width while the search runs; it fits its contents at the end.
constexpr int kFolderColumnWhileSearching = 160;

bool TreeHoldsPath(const TFolderTreeView& tree, const std::string& path) {
  for (QTreeWidgetItemIterator it(const_cast<TFolderTreeView*>(&tree)); *it != nullptr; ++it) {
    const auto* node = dynamic_cast<const TFolderTreeNode*>(*it);
    if (node != nullptr && node->Path() == path) return true;
  }
  return false;
}

std::string InitialFolder(const TFileListView& files) {
  if (!files.PopupTreePath.empty() && TreeHoldsPath(files.Tree(), files.PopupTreePath))
    return files.PopupTreePath;
  std::string selected;
  files.Tree().GetSelectedPath(selected);
  return selected;
}

// The folder chosen in the dialog; empty when it was cancelled.
std::string AskFolder(QWidget* owner, const std::string& initial) {
  TFormSearchDialog dialog(QString::fromStdString(initial), owner);
  if (dialog.exec() != QDialog::Accepted) return {};
  return dialog.EditFolder->text().toStdString();
}

}  // namespace

TFormSearchDialog::TFormSearchDialog(const QString& folder, QWidget* parent) : QDialog(parent) {
  setObjectName("FormSearchDialog");
  setWindowTitle(QStringLiteral("mp3ファイルの検索"));
  setFont(WindowFont());
  EditFolder = new QLineEdit(folder, this);
  EditFolder->setObjectName("EditFolder");
  Label1 = new QLabel(QStringLiteral("検索フォルダ(&F):"), this);
  Label1->setBuddy(EditFolder);
  Label2 = new QLabel(QStringLiteral("（サブフォルダも検索されます）"), this);
  const TDialogButtons buttons = CreateOkCancelButtons(this);
  ButtonOk = buttons.Ok;
  ButtonCancel = buttons.Cancel;
  connect(ButtonOk, &QPushButton::clicked, this, &QDialog::accept);

  auto* layout = new QGridLayout(this);
  layout->addWidget(Label1, 0, 0);
  layout->addWidget(Label2, 0, 1, Qt::AlignRight);
  layout->addWidget(EditFolder, 1, 0, 1, 2);
  layout->addLayout(buttons.Row, 2, 0, 1, 2);
  resize(360, sizeHint().height());
  setFixedSize(size());
  EditFolder->setFocus();
}

void SearchMp3Files(QWidget* owner, TFileListView& files, IPrompts& prompts) {
  const std::string typed = AskFolder(owner, InitialFolder(files));
  if (typed.empty()) return;
  const std::string folder = SearchFolderFromInput(typed);
  if (!DirectoryExists(folder)) {
    prompts.ShowMessage(kMsgNoSuchFolder);
    return;
  }
  files.ListFolderTree(folder);
}

// A whole drive can take minutes, so the list fills in view and Esc keeps what was found.
void TFileListView::ListFolderTree(const std::string& folder) {
  TBusyWork work(ctx_.StatusPanel);
  ctx_.List->clear();
  ResetSortMarks();
  ctx_.List->setColumnWidth(fcFolder, kFolderColumnWhileSearching);
  TMp3FolderWalk walk(folder);
  const auto progress = [&] {
    ShowPendingRows();
    return QStringLiteral("検索中: %1 フォルダ, %2 ファイル (Esc で中止)")
        .arg(QLocale().toString(static_cast<qulonglong>(walk.FoldersRead())))
        .arg(QLocale().toString(ctx_.List->topLevelItemCount()));
  };
  while (work.KeepAlive(progress)) {
    const std::optional<TFolderFinds> finds = walk.Next();
    if (!finds) break;
    for (size_t i = 0; i < finds->Files.size() && work.KeepAlive(progress); ++i) {
      AddFileRow(finds->Folder, finds->Files[i]);
    }
  }
  ShowPendingRows();
  ctx_.List->resizeColumnToContents(fcFolder);
  UpdateSortActions();
}
