#pragma once

#include <string>

#include "tests/tools/run_command.h"

// Runs the built korva-apply program with the arguments (shell words).
inline TRun RunTool(const std::string& arguments) {
  return RunCommand(std::string(KORVA_APPLY_PROGRAM) + " " + arguments);
}

// One shell word; the tests' paths hold no single quote.
inline std::string Quote(const std::string& text) { return "'" + text + "'"; }
