#include "app/game_folder_picker.h"

#include <QDir>
#include <QFileDialog>

std::optional<std::string> PickGameFolder() {
  const QString folder = QFileDialog::getExistingDirectory(
      nullptr, QString::fromUtf8(kPickGameFolderCaption), QDir::homePath());
  if (folder.isEmpty()) return std::nullopt;
  return QDir::toNativeSeparators(folder).toStdString();
}
