#pragma once

#include "platform/prompts.h"

// Message boxes and the hourglass cursor with Qt. Boxes belong to the active window, so they
// stay in front of it and block it while they are open.
class TQtPrompts : public IPrompts {
 public:
  void ShowMessage(const std::string& text) override;
  TPromptAnswer Ask(const std::string& text, TPromptIcon icon, TPromptButtons buttons) override;
  void SetBusy(bool busy) override;
};
