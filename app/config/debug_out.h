#pragma once

#include <string>

// A trace for developers: silent unless the environment variable KORVA_DEBUG is set, in which
// case each text goes to standard error as one line.
void DebugOut(const std::string& text);
