#pragma once

#include <stdio.h>

#include <string>

#ifdef _WIN32
#include "platform/windows/wide.h"
#else
#include <sys/wait.h>
#endif

// What a tool run by the tests printed on standard output, and its exit status (-1 when it did
// not exit normally).
struct TRun {
  int Status;
  std::string Output;
};

// One word of a command line; the tests' words hold no quote character.
inline std::string ShellWord(const std::string& text) {
#ifdef _WIN32
  return "\"" + text + "\"";
#else
  return "'" + text + "'";
#endif
}

// The shell's name of the device that discards what is written to it.
#ifdef _WIN32
inline constexpr char kNullDevice[] = "NUL";
#else
inline constexpr char kNullDevice[] = "/dev/null";
#endif

// Runs a command line in the system's shell and collects its standard output; standard error is
// dropped so that the tests compare only what the tool promises to print. On Windows the line
// goes to the wide form, so that arguments outside the ANSI code page reach the tool whole.
inline TRun RunCommand(const std::string& commandLine) {
#ifdef _WIN32
  // cmd /c drops the outer pair of quotes of a line that starts with one.
  FILE* pipe = _wpopen(Widen("\"" + commandLine + " 2>NUL\"").c_str(), L"rb");
#else
  FILE* pipe = popen((commandLine + " 2>/dev/null").c_str(), "r");
#endif
  std::string output;
  char buffer[4096];
  while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
#ifdef _WIN32
  return {_pclose(pipe), output};
#else
  const int status = pclose(pipe);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
#endif
}
