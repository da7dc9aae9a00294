// korva-apply [--cancel] PROGRAM_FOLDER MUSIC_FOLDER NAME
//
// Runs Apply as the window's "適用(&A)" does, for the configuration NAME: the default
// configuration comes from MUSIC_FOLDER/Config.org and, unless NAME is "<標準>", the user
// configuration from NAME's playlist in PROGRAM_FOLDER. The confirmation is answered OK (Cancel
// with --cancel). Every message is printed as "MESSAGE: text" and every question as
// "QUESTION: text", one line each, line breaks written as \n.
//
// Exit status: 0 when Apply ran to its end, 1 when it stopped early, 2 on bad arguments (also
// when Config.org or the playlist cannot be read), 3 when it ran to its end but some copies
// failed (those scenes kept the game's music).

#include <iostream>
#include <string>
#include <vector>

#include "app/config/apply.h"
#include "app/config/config_names.h"
#include "app/config/game_table.h"
#include "platform/files.h"
#include "tools/tool_main.h"

namespace {

constexpr int kExitDone = 0;
constexpr int kExitStopped = 1;
constexpr int kExitUsage = 2;
constexpr int kExitCopiesFailed = 3;

std::string OneLine(const std::string& text) {
  std::string line;
  for (char c : text) {
    if (c == '\n') {
      line += "\\n";
    } else {
      line += c;
    }
  }
  return line;
}

// Prints what a person would be shown and answers every question the same way.
class TConsolePrompts : public IPrompts {
 public:
  explicit TConsolePrompts(bool cancel) : cancel_(cancel) {}

  void ShowMessage(const std::string& text) override {
    std::cout << "MESSAGE: " << OneLine(text) << std::endl;
  }

  TPromptAnswer Ask(const std::string& text, TPromptIcon, TPromptButtons buttons) override {
    std::cout << "QUESTION: " << OneLine(text) << std::endl;
    if (cancel_)
      return buttons == TPromptButtons::pcbYesNo ? TPromptAnswer::pcaNo : TPromptAnswer::pcaCancel;
    switch (buttons) {
      case TPromptButtons::pcbOk:
      case TPromptButtons::pcbOkCancel:
        return TPromptAnswer::pcaOk;
      default:
        return TPromptAnswer::pcaYes;
    }
  }

  void SetBusy(bool) override {}

 private:
  bool cancel_;
};

int Usage(const std::string& problem) {
  std::cerr << "korva-apply: " << problem << "\n"
            << "usage: korva-apply [--cancel] PROGRAM_FOLDER MUSIC_FOLDER NAME\n";
  return kExitUsage;
}

}  // namespace

int ToolMain(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  bool cancel = false;
  if (!args.empty() && args.front() == "--cancel") {
    cancel = true;
    args.erase(args.begin());
  }
  if (args.size() != 3) return Usage("expected three arguments");
  const std::string& programFolder = args[0];
  const std::string& musicFolder = args[1];
  const std::string& name = args[2];
  if (!DirectoryExists(programFolder)) return Usage("no such folder: " + programFolder);
  if (!DirectoryExists(musicFolder)) return Usage("no such folder: " + musicFolder);
  const bool isDefault = name == kDefaultConfigName;
  if (!isDefault && (name.empty() || !IsValidConfigName(name))) {
    return Usage("not a configuration name: " + name);
  }

  TKorvaConfig defaultConfig;
  TKorvaConfig userConfig;
  try {
    defaultConfig.SetDefault(true);
    defaultConfig.LoadFromGameTable(JoinPath(musicFolder, kGameTableBackupName));
    if (!isDefault) userConfig.LoadFromPlaylist(ConfigFileName(name, programFolder));
  } catch (const TFileError& e) {
    return Usage(e.what());
  }

  TConsolePrompts prompts(cancel);
  switch (ApplyConfig(name, defaultConfig, userConfig, musicFolder, prompts)) {
    case TApplyResult::arDone:
      return kExitDone;
    case TApplyResult::arCopiesFailed:
      return kExitCopiesFailed;
    case TApplyResult::arStopped:
      break;
  }
  return kExitStopped;
}
