#pragma once

#include <string>

// What the core asks of the person in front of the program: message boxes, questions and the
// busy cursor. The main window implements it with real dialogs; tests script the answers.
enum class TPromptIcon { pciNone, pciInformation, pciWarning, pciError, pciConfirmation };
enum class TPromptButtons { pcbOk, pcbOkCancel, pcbYesCancel, pcbYesNo, pcbYesNoCancel };
enum class TPromptAnswer { pcaOk, pcaCancel, pcaYes, pcaNo };

class IPrompts {
 public:
  virtual ~IPrompts() = default;
  // A message box with the single button OK; returns when the person has closed it.
  virtual void ShowMessage(const std::string& text) = 0;
  // A question; closing the box without choosing answers pcaCancel (or pcaNo when there is no
  // Cancel button).
  virtual TPromptAnswer Ask(const std::string& text, TPromptIcon icon, TPromptButtons buttons) = 0;
  // Shows the hourglass while busy is true. Calls nest: each true is matched by one false.
  virtual void SetBusy(bool busy) = 0;
};

// Shows the busy cursor for the lifetime of the object, also when an exception leaves the scope.
class TBusyScope {
 public:
  explicit TBusyScope(IPrompts& prompts) : prompts_(prompts) { prompts_.SetBusy(true); }
  ~TBusyScope() { prompts_.SetBusy(false); }
  TBusyScope(const TBusyScope&) = delete;
  TBusyScope& operator=(const TBusyScope&) = delete;

 private:
  IPrompts& prompts_;
};
