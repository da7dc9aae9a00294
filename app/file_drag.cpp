#include "app/file_drag.h"

#include <QDir>
#include <QMimeData>
#include <QUrl>

#include "app/file_list_view.h"
#include "platform/files.h"
#include "platform/text_compare.h"

TFileDragList::TFileDragList(QWidget* parent) : QTreeWidget(parent) {
  setDragEnabled(true);
  setDragDropMode(QAbstractItemView::DragOnly);
  setDefaultDropAction(Qt::CopyAction);
}

QStringList TFileDragList::mimeTypes() const { return {QStringLiteral("text/uri-list")}; }

QMimeData* TFileDragList::mimeData(const QList<QTreeWidgetItem*>& items) const {
  QList<QUrl> urls;
  for (const QTreeWidgetItem* item : items)
    urls << QUrl::fromLocalFile(QString::fromStdString(FileListRowPath(item)));
  auto* data = new QMimeData;
  data->setUrls(urls);
  return data;
}

Qt::DropActions TFileDragList::supportedDropActions() const { return Qt::CopyAction; }

std::vector<std::string> DraggedMp3Files(const QMimeData& data) {
  std::vector<std::string> files;
  for (const QUrl& url : data.urls()) {
    if (!url.isLocalFile()) continue;
    const std::string path = QDir::toNativeSeparators(url.toLocalFile()).toStdString();
    // The same names the file list shows.
    if (MatchesWildcard(ExtractFileName(path), "*.mp3") && FileExists(path)) files.push_back(path);
  }
  return files;
}
