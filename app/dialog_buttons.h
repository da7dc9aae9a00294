#pragma once

class QDialog;
class QHBoxLayout;
class QPushButton;

// The OK and Cancel buttons of a dialog, right-aligned in a row. OK is the default button and
// is left for the caller to connect; Cancel closes the dialog with Cancel.
struct TDialogButtons {
  QPushButton* Ok = nullptr;
  QPushButton* Cancel = nullptr;
  QHBoxLayout* Row = nullptr;
};

TDialogButtons CreateOkCancelButtons(QDialog* dialog);
