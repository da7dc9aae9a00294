#pragma once

#include <stdexcept>
#include <string>

// The one place where the player component stops on a broken precondition. A failed check
// raises TMPAssertionError, whose message is "Assertion failure (<source>, line <n>)", so that
// it reaches the application's error display like any other error instead of ending the
// program.
class TMPAssertionError : public std::logic_error {
 public:
  TMPAssertionError(const char* file, int line);
};

[[noreturn]] void MPAssertionFailed(const char* file, int line);

#define MP_ASSERT(condition) \
  ((condition) ? static_cast<void>(0) : MPAssertionFailed(__FILE__, __LINE__))
