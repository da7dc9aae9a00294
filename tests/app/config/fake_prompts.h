#pragma once

#include <deque>
#include <string>
#include <vector>

#include "platform/prompts.h"

// A scripted stand-in for the message boxes: records every message and question in order and
// answers questions from a queue (then with DefaultAnswer). Headless tests of the core and of
// the window's logic use it.
class TFakePrompts : public IPrompts {
 public:
  struct TQuestion {
    std::string Text;
    TPromptIcon Icon;
    TPromptButtons Buttons;
  };

  void ShowMessage(const std::string& text) override {
    Messages.push_back(text);
    Log.push_back("MESSAGE: " + text);
  }

  TPromptAnswer Ask(const std::string& text, TPromptIcon icon, TPromptButtons buttons) override {
    Questions.push_back({text, icon, buttons});
    Log.push_back("QUESTION: " + text);
    if (Answers.empty()) return DefaultAnswer;
    const TPromptAnswer answer = Answers.front();
    Answers.pop_front();
    return answer;
  }

  void SetBusy(bool busy) override {
    BusyDepth += busy ? 1 : -1;
    if (busy) ++BusyCount;
  }

  std::deque<TPromptAnswer> Answers;
  TPromptAnswer DefaultAnswer = TPromptAnswer::pcaCancel;
  std::vector<std::string> Messages;
  std::vector<TQuestion> Questions;
  std::vector<std::string> Log;  // "MESSAGE: ..." and "QUESTION: ..." in the order they came
  int BusyDepth = 0;             // back to 0 once every busy phase has ended
  int BusyCount = 0;             // how many busy phases began
};
