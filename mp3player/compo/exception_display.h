#pragma once

#include <exception>
#include <functional>

// The application's general error display for errors that a worker thread could not hand to
// anybody. The program installs a handler that shows them to the user; until then they are
// written to the standard error stream.
using TMPExceptionDisplay = std::function<void(const std::exception& error)>;

void MPSetExceptionDisplay(TMPExceptionDisplay display);
void MPShowException(const std::exception& error);
