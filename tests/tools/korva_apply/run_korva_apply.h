#pragma once

#include <stdio.h>
#include <sys/wait.h>

#include <string>

// Runs the built korva-apply program with the arguments (shell words) and collects its standard
// output and exit status; standard error is dropped.
struct TRun {
  int Status;
  std::string Output;
};

inline TRun RunTool(const std::string& arguments) {
  const std::string command = std::string(KORVA_APPLY_PROGRAM) + " " + arguments + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  std::string output;
  char buffer[4096];
  while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
  const int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

// One shell word; the tests' paths hold no single quote.
inline std::string Quote(const std::string& text) { return "'" + text + "'"; }
