#pragma once

#include <stdio.h>
#include <sys/wait.h>

#include <string>

// What a tool run by the tests printed on standard output, and its exit status (-1 when it did
// not exit normally).
struct TRun {
  int Status;
  std::string Output;
};

// Runs a shell command line and collects its standard output; standard error is dropped so that
// the tests compare only what the tool promises to print.
inline TRun RunCommand(const std::string& commandLine) {
  const std::string command = commandLine + " 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  std::string output;
  char buffer[4096];
  while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
  const int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}
