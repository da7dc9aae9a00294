#pragma once

// The entry of a command-line tool. The tool defines ToolMain with the signature of main and
// includes this header in the file that defines it; its arguments are UTF-8 text on every system
// and its standard output carries bytes unchanged. On Windows the entry is wmain, so that paths
// outside the ANSI code page (Japanese names on a Western system) reach the tool whole; MinGW
// links that entry only with -municode, which korva_add_tool (tools/CMakeLists.txt) adds.

int ToolMain(int argc, char** argv);

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "platform/windows/wide.h"

int wmain(int argc, wchar_t** argv) {
  // Text mode would turn every "\n" into "\r\n" and break binary output such as PCM.
  _setmode(_fileno(stdout), _O_BINARY);
  std::vector<std::string> args;
  for (int i = 0; i < argc; ++i) args.push_back(Narrow(argv[i]));
  std::vector<char*> pointers;
  for (std::string& arg : args) pointers.push_back(arg.data());
  pointers.push_back(nullptr);
  return ToolMain(argc, pointers.data());
}
#else
int main(int argc, char** argv) { return ToolMain(argc, argv); }
#endif
