#pragma once

#include <string>

// The running program's own file and folder. The settings, the scene labels and the user
// configurations live beside the program, as on Windows.

// Full path of the executable.
std::string ProgramFilePath();

// The executable's folder, ending with the path separator.
std::string ProgramFolder();
