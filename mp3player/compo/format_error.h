#pragma once

#include <stdexcept>

// Raised when bytes that should be MPEG audio are not: the one message the user sees for any
// file the player or the file list cannot make sense of.
class TMPFormatError : public std::runtime_error {
 public:
  TMPFormatError() : std::runtime_error("unknown MPEG Audio format.") {}
};
