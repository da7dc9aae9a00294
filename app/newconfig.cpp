#include "app/newconfig.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "app/config/config_names.h"
#include "app/dialog_buttons.h"
#include "app/window_font.h"
#include "platform/files.h"
#include "platform/text_compare.h"

namespace {

const char kMsgBadCharacter[] = "設定名に \\/:;*?\"<>|= は使えません";
const char kMsgNameTaken[] = "すでに使われている名前です";
const char kMsgNoName[] = "名前が入力されていません";

}  // namespace

TFormNewConfig::TFormNewConfig(const QStringList& entries, std::string playlistFolder,
                               IPrompts& prompts, QWidget* parent)
    : QDialog(parent), playlistFolder_(std::move(playlistFolder)), prompts_(prompts) {
  setObjectName("FormNewConfig");
  setWindowTitle(QStringLiteral("設定の新規作成"));
  setFont(WindowFont());

  EditName = new QLineEdit(this);
  EditName->setObjectName("EditName");
  Label1 = new QLabel(QStringLiteral("作成する設定名(&N):"), this);
  Label1->setBuddy(EditName);
  ListBoxConfigs = new QListWidget(this);
  ListBoxConfigs->setObjectName("ListBoxConfigs");
  ListBoxConfigs->addItems(entries);
  if (!entries.isEmpty()) ListBoxConfigs->setCurrentRow(0);
  Label2 = new QLabel(QStringLiteral("元にする設定(&S):"), this);
  Label2->setBuddy(ListBoxConfigs);
  const TDialogButtons buttons = CreateOkCancelButtons(this);
  ButtonOk = buttons.Ok;
  ButtonCancel = buttons.Cancel;
  connect(ButtonOk, &QPushButton::clicked, this, &TFormNewConfig::ButtonOkClick);

  auto* layout = new QGridLayout(this);
  layout->addWidget(Label1, 0, 0);
  layout->addWidget(EditName, 1, 0);
  layout->addWidget(Label2, 2, 0);
  layout->addWidget(ListBoxConfigs, 3, 0);
  layout->addLayout(buttons.Row, 4, 0);
  resize(280, 260);
  setFixedSize(size());
  EditName->setFocus();
}

QString TFormNewConfig::NewName() const { return EditName->text(); }

int TFormNewConfig::SourceIndex() const { return ListBoxConfigs->currentRow(); }

// The name is taken as typed: blanks around it are part of the name.
QString TFormNewConfig::NameProblem(const QString& name) const {
  const std::string text = name.toStdString();
  if (!IsValidConfigName(text)) return QString::fromUtf8(kMsgBadCharacter);
  for (int i = 0; i < ListBoxConfigs->count(); ++i) {
    if (SameText(ListBoxConfigs->item(i)->text().toStdString(), text))
      return QString::fromUtf8(kMsgNameTaken);
  }
  if (name.isEmpty()) return QString::fromUtf8(kMsgNoName);
  if (FileExists(ConfigFileName(text, playlistFolder_))) return QString::fromUtf8(kMsgNameTaken);
  return {};
}

void TFormNewConfig::ButtonOkClick() {
  const QString problem = NameProblem(NewName());
  if (problem.isEmpty())
    accept();
  else
    prompts_.ShowMessage(problem.toStdString());
}
