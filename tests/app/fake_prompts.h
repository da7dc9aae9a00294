#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/prompts.h"

// Records what the window tells the person and answers its questions from a script.
class TFakePrompts : public IPrompts {
 public:
  std::vector<std::string> Messages;
  std::vector<std::string> Questions;
  std::deque<TPromptAnswer> Answers;  // popped per question; pcaCancel when empty
  int BusyDepth = 0;
  int BusyCalls = 0;

  void ShowMessage(const std::string& text) override { Messages.push_back(text); }
  TPromptAnswer Ask(const std::string& text, TPromptIcon, TPromptButtons) override {
    Questions.push_back(text);
    if (Answers.empty()) return TPromptAnswer::pcaCancel;
    const TPromptAnswer answer = Answers.front();
    Answers.pop_front();
    return answer;
  }
  void SetBusy(bool busy) override {
    BusyDepth += busy ? 1 : -1;
    if (busy) ++BusyCalls;
  }
};
