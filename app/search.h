#pragma once

#include <QDialog>
#include <string>

class IPrompts;
class QLabel;
class QLineEdit;
class QPushButton;
class TFileListView;

// Asks for the folder below which to search for MP3 files.
class TFormSearchDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TFormSearchDialog(const QString& folder, QWidget* parent = nullptr);

  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* EditFolder = nullptr;
  QPushButton* ButtonOk = nullptr;
  QPushButton* ButtonCancel = nullptr;
};

// "mp3ファイルの検索(&S)...": asks for a folder (proposing the folder of the tree's last context
// menu while its node is still in the tree, else the selected one) and fills the file list with
// every MP3 file below it. A folder that does not exist gets a message and changes nothing.
void SearchMp3Files(QWidget* owner, TFileListView& files, IPrompts& prompts);
