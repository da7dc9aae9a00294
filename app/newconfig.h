#pragma once

#include <QDialog>
#include <QStringList>
#include <string>

#include "platform/prompts.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// Asks for the name of a new configuration and for the configuration to copy. It closes with
// OK only for a name that is usable as a file name and not taken yet.
class TFormNewConfig : public QDialog {
  Q_OBJECT

 public:
  // entries: the configuration box's entries, "<標準>" first, which is preselected.
  // playlistFolder: where the new playlist goes; a name whose playlist file is there already
  // (a playlist of another program, say) counts as taken, so that file is never overwritten.
  TFormNewConfig(const QStringList& entries, std::string playlistFolder, IPrompts& prompts,
                 QWidget* parent = nullptr);

  QString NewName() const;
  // Index of the configuration to copy among the entries.
  int SourceIndex() const;

  QLabel* Label1 = nullptr;
  QLineEdit* EditName = nullptr;
  QLabel* Label2 = nullptr;
  QListWidget* ListBoxConfigs = nullptr;
  QPushButton* ButtonOk = nullptr;
  QPushButton* ButtonCancel = nullptr;

 private:
  void ButtonOkClick();
  // The message for a name that cannot be used, or an empty text for a good one.
  QString NameProblem(const QString& name) const;

  std::string playlistFolder_;
  IPrompts& prompts_;
};
