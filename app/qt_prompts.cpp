#include "app/qt_prompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <utility>

namespace {

QMessageBox::Icon ToQtIcon(TPromptIcon icon) {
  switch (icon) {
    case TPromptIcon::pciInformation:
      return QMessageBox::Information;
    case TPromptIcon::pciWarning:
      return QMessageBox::Warning;
    case TPromptIcon::pciError:
      return QMessageBox::Critical;
    case TPromptIcon::pciConfirmation:
      return QMessageBox::Question;
    case TPromptIcon::pciNone:
      break;
  }
  return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons ToQtButtons(TPromptButtons buttons) {
  switch (buttons) {
    case TPromptButtons::pcbOk:
      return QMessageBox::Ok;
    case TPromptButtons::pcbOkCancel:
      return QMessageBox::Ok | QMessageBox::Cancel;
    case TPromptButtons::pcbYesCancel:
      return QMessageBox::Yes | QMessageBox::Cancel;
    case TPromptButtons::pcbYesNo:
      return QMessageBox::Yes | QMessageBox::No;
    case TPromptButtons::pcbYesNoCancel:
      return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
  }
  return QMessageBox::Ok;
}

// Closing a box without choosing counts as Cancel, or as No where there is no Cancel.
TPromptAnswer ToAnswer(int result, TPromptButtons buttons) {
  switch (result) {
    case QMessageBox::Ok:
      return TPromptAnswer::pcaOk;
    case QMessageBox::Yes:
      return TPromptAnswer::pcaYes;
    case QMessageBox::No:
      return TPromptAnswer::pcaNo;
    default:
      break;
  }
  return buttons == TPromptButtons::pcbYesNo ? TPromptAnswer::pcaNo : TPromptAnswer::pcaCancel;
}

// The hourglass must not hide the arrow while the person answers a box.
class TNormalCursorScope {
 public:
  TNormalCursorScope() : busy_(QApplication::overrideCursor() != nullptr) {
    if (busy_) QApplication::setOverrideCursor(Qt::ArrowCursor);
  }
  ~TNormalCursorScope() {
    if (busy_) QApplication::restoreOverrideCursor();
  }

 private:
  bool busy_;
};

// The buttons carry the captions of the system's Japanese message boxes.
void SetJapaneseCaptions(QMessageBox& box) {
  const std::pair<QMessageBox::StandardButton, const char*> captions[] = {
      {QMessageBox::Ok, "OK"},
      {QMessageBox::Cancel, "キャンセル"},
      {QMessageBox::Yes, "はい(&Y)"},
      {QMessageBox::No, "いいえ(&N)"}};
  for (const auto& [button, caption] : captions) {
    if (QAbstractButton* b = box.button(button)) b->setText(QString::fromUtf8(caption));
  }
}

int RunBox(QMessageBox::Icon icon, const std::string& text, QMessageBox::StandardButtons buttons) {
  QMessageBox box(icon, QApplication::applicationName(), QString::fromStdString(text), buttons,
                  QApplication::activeWindow());
  SetJapaneseCaptions(box);
  TNormalCursorScope cursor;
  return box.exec();
}

}  // namespace

void TQtPrompts::ShowMessage(const std::string& text) {
  RunBox(QMessageBox::NoIcon, text, QMessageBox::Ok);
}

TPromptAnswer TQtPrompts::Ask(const std::string& text, TPromptIcon icon, TPromptButtons buttons) {
  return ToAnswer(RunBox(ToQtIcon(icon), text, ToQtButtons(buttons)), buttons);
}

void TQtPrompts::SetBusy(bool busy) {
  if (busy)
    QApplication::setOverrideCursor(Qt::WaitCursor);
  else
    QApplication::restoreOverrideCursor();
}
