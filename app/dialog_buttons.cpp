#include "app/dialog_buttons.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QPushButton>

TDialogButtons CreateOkCancelButtons(QDialog* dialog) {
  TDialogButtons buttons;
  buttons.Ok = new QPushButton(QStringLiteral("OK"), dialog);
  buttons.Ok->setObjectName("ButtonOk");
  buttons.Ok->setDefault(true);
  buttons.Cancel = new QPushButton(QStringLiteral("キャンセル"), dialog);
  buttons.Cancel->setObjectName("ButtonCancel");
  QObject::connect(buttons.Cancel, &QPushButton::clicked, dialog, &QDialog::reject);
  buttons.Row = new QHBoxLayout;
  buttons.Row->addStretch(1);
  buttons.Row->addWidget(buttons.Ok);
  buttons.Row->addWidget(buttons.Cancel);
  return buttons;
}
