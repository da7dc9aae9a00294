#include "mp3player/compo/assertion.h"

#include <string_view>

namespace {

// The source name is given relative to the repository root, whatever folder the build used.
std::string SourceName(std::string_view file) {
  const auto pos = file.rfind("mp3player/");
  return std::string(pos == std::string_view::npos ? file : file.substr(pos));
}

}  // namespace

TMPAssertionError::TMPAssertionError(const char* file, int line)
    : std::logic_error("Assertion failure (" + SourceName(file) + ", line " + std::to_string(line) +
                       ")") {}

void MPAssertionFailed(const char* file, int line) { throw TMPAssertionError(file, line); }
