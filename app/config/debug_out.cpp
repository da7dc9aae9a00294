#include "app/config/debug_out.h"

#include <cstdlib>
#include <iostream>

void DebugOut(const std::string& text) {
  static const bool enabled = std::getenv("KORVA_DEBUG") != nullptr;
  if (enabled) std::cerr << text << '\n';
}
