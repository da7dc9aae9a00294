#include "app/about.h"

#include <QApplication>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "app/window_font.h"

TFormAbout::TFormAbout(QWidget* parent) : QDialog(parent) {
  setObjectName("FormAbout");
  setWindowTitle(QStringLiteral("バージョン情報"));
  setFont(WindowFont());
  ImageIcon = new QLabel(this);
  ImageIcon->setPixmap(QApplication::windowIcon().pixmap(32, 32));
  LabelName = new QLabel(QStringLiteral("Korva"), this);
  LabelVersion = new QLabel(QStringLiteral("ver 1.2"), this);
  Button1 = new QPushButton(QStringLiteral("OK"), this);
  Button1->setDefault(true);
  connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

  auto* layout = new QGridLayout(this);
  layout->addWidget(ImageIcon, 0, 0, 2, 1, Qt::AlignTop);
  layout->addWidget(LabelName, 0, 1);
  layout->addWidget(LabelVersion, 1, 1);
  layout->addWidget(Button1, 2, 0, 1, 2, Qt::AlignCenter);
  setFixedSize(sizeHint().expandedTo(QSize(220, 120)));
}
