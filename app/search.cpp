#include "app/search.h"

#include <QDir>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>

#include "app/busy_work.h"
#include "app/config/folder_walk.h"
#include "app/dialog_buttons.h"
#include "app/file_list_view.h"
#include "app/file_row.h"
#include "app/window_font.h"
#include "platform/files.h"
#include "platform/prompts.h"
#include "platform/wine_paths.h"

namespace {

const char kMsgNoSuchFolder[] = "存在しないフォルダです";
// The folder column's width while the search runs; it fits its contents at the end.
constexpr int kFolderColumnWhileSearching = 160;

// What the dialog was given: the folder as typed and the filter's text; no folder when it was
// cancelled.
struct TSearchRequest {
  std::string Folder;
  QString Filter;
};

TSearchRequest AskFolder(QWidget* owner, const std::string& initial) {
  TFormSearchDialog dialog(QString::fromStdString(initial), owner);
  if (dialog.exec() != QDialog::Accepted) return {};
  return {dialog.EditFolder->text().toStdString(), dialog.EditFilter->text()};
}

QString HomeFolder() { return QDir::toNativeSeparators(QDir::homePath()); }

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
  ButtonBrowse = new QPushButton(QStringLiteral("参照(&B)..."), this);
  ButtonBrowse->setObjectName("ButtonBrowse");
  ButtonBrowse->setAutoDefault(false);
  connect(ButtonBrowse, &QPushButton::clicked, this, &TFormSearchDialog::ButtonBrowseClick);
  EditFilter = new QLineEdit(this);
  EditFilter->setObjectName("EditFilter");
  EditFilter->setPlaceholderText(QStringLiteral("空欄ならすべてのファイル"));
  LabelFilter =
      new QLabel(QStringLiteral("ファイル名・曲名・アーティスト・アルバムに含む文字(&T):"), this);
  LabelFilter->setBuddy(EditFilter);
  const TDialogButtons buttons = CreateOkCancelButtons(this);
  ButtonOk = buttons.Ok;
  ButtonCancel = buttons.Cancel;
  connect(ButtonOk, &QPushButton::clicked, this, &QDialog::accept);

  auto* layout = new QGridLayout(this);
  layout->addWidget(Label1, 0, 0);
  layout->addWidget(Label2, 0, 1, Qt::AlignRight);
  layout->addWidget(EditFolder, 1, 0, 1, 2);
  layout->addWidget(ButtonBrowse, 1, 2);
  layout->addWidget(LabelFilter, 2, 0, 1, 3);
  layout->addWidget(EditFilter, 3, 0, 1, 3);
  layout->addLayout(buttons.Row, 4, 0, 1, 3);
  resize(std::max(420, sizeHint().width()), sizeHint().height());
  setFixedSize(size());
  EditFolder->setFocus();
}

void TFormSearchDialog::ButtonBrowseClick() {
  const std::string typed = SearchFolderFromTyped(EditFolder->text().toStdString());
  const QString start = DirectoryExists(typed) ? QString::fromStdString(typed) : HomeFolder();
  const QString chosen =
      QFileDialog::getExistingDirectory(this, QStringLiteral("検索フォルダの選択"), start);
  if (!chosen.isEmpty()) EditFolder->setText(QDir::toNativeSeparators(chosen));
}

std::string SearchFolderFromTyped(const std::string& typed) {
  std::string path = QString::fromStdString(typed).trimmed().toStdString();
  if (path == "~" || path.starts_with(std::string("~") + kPathSeparator))
    path = HomeFolder().toStdString() + path.substr(1);
  if (const auto local = WindowsPathToLocal(path)) path = *local;
  return SearchFolderFromInput(path);
}

void SearchMp3Files(QWidget* owner, TFileListView& files, IPrompts& prompts,
                    const std::string& proposed) {
  const TSearchRequest request = AskFolder(owner, proposed);
  if (request.Folder.empty()) return;
  const std::string folder = SearchFolderFromTyped(request.Folder);
  if (!DirectoryExists(folder)) {
    prompts.ShowMessage(kMsgNoSuchFolder);
    return;
  }
  const TFileFilter filter(request.Filter);
  files.ListFolderTree(folder, &filter);
}

// A whole drive can take minutes, so the list fills in view and Esc keeps what was found.
void TFileListView::ListFolderTree(const std::string& folder, const TFileFilter* filter) {
  TBusyWork work(ctx_.StatusPanel);
  ctx_.List->clear();
  ResetSortMarks();
  ctx_.List->setColumnHidden(fcFolder, false);
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
      AddFileRow(finds->Folder, finds->Files[i], filter);
    }
  }
  ShowPendingRows();
  ctx_.List->resizeColumnToContents(fcFolder);
  UpdateSortActions();
}
