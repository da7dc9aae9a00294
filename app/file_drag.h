#pragma once

#include <QTreeWidget>
#include <string>
#include <vector>

class QMimeData;

// The file list: its rows are dragged as the files they show (text/uri-list), so that a file
// can be dropped on a scene, or into a file manager, as from any other list of files.
class TFileDragList : public QTreeWidget {
 public:
  explicit TFileDragList(QWidget* parent = nullptr);

 protected:
  QStringList mimeTypes() const override;
  QMimeData* mimeData(const QList<QTreeWidgetItem*>& items) const override;
  // Only copies: a move would have the list remove the dragged row, and a file manager the file.
  Qt::DropActions supportedDropActions() const override;
};

// The MP3 files (existing files named ".mp3") a drag carries as local file URLs, in their order;
// empty when it carries none.
std::vector<std::string> DraggedMp3Files(const QMimeData& data);
