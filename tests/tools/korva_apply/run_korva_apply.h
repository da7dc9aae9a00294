#pragma once

#include <string>

#include "tests/tools/run_command.h"

// Runs the built korva-apply program with the arguments (shell words).
inline TRun RunTool(const std::string& arguments) {
  return RunCommand(ShellWord(KORVA_APPLY_PROGRAM) + " " + arguments);
}

inline std::string Quote(const std::string& text) { return ShellWord(text); }
