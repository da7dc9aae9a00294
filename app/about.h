#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The about box: the program's icon, name and version.
class TFormAbout : public QDialog {
  Q_OBJECT

 public:
  explicit TFormAbout(QWidget* parent = nullptr);

  QLabel* ImageIcon = nullptr;
  QLabel* LabelName = nullptr;
  QLabel* LabelVersion = nullptr;
  QPushButton* Button1 = nullptr;
};
