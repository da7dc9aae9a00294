#pragma once

#include <cstdio>
#include <cstdlib>

// A property a fuzz target holds the code to: when it fails the input is a finding, so the
// target stops the way a crash does and libFuzzer keeps the input.
inline void FuzzCheck(bool holds, const char* property) {
  if (holds) return;
  std::fprintf(stderr, "property failed: %s\n", property);
  std::abort();
}
