#pragma once

#include <QDialog>
#include <string>

class IPrompts;
class QLabel;
class QLineEdit;
class QPushButton;
class TFileListView;

// Asks for the folder below which to search for MP3 files, and for a text that the files to list
// must contain.
class TFormSearchDialog : public QDialog {
  Q_OBJECT

 public:
  explicit TFormSearchDialog(const QString& folder, QWidget* parent = nullptr);

  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* EditFolder = nullptr;
  QPushButton* ButtonBrowse = nullptr;
  QLabel* LabelFilter = nullptr;
  QLineEdit* EditFilter = nullptr;
  QPushButton* ButtonOk = nullptr;
  QPushButton* ButtonCancel = nullptr;

 private:
  void ButtonBrowseClick();
};

// The folder a person typed, as a path of this system: "~" stands for the home folder and, off
// Windows, a drive path of the game's Wine prefix ("C:\Music", "Z:\home") goes through the
// prefix's drive links; one trailing separator is dropped.
std::string SearchFolderFromTyped(const std::string& typed);

// "mp3ファイルの検索(&S)...": asks for a folder (proposing `proposed`: the folder the tree's
// pop-up menu opened on, or the selected one from the main menu and F3) and fills the file list
// with every MP3 file below it that the filter keeps. A folder that does not exist gets a message
// and changes nothing.
void SearchMp3Files(QWidget* owner, TFileListView& files, IPrompts& prompts,
                    const std::string& proposed);
