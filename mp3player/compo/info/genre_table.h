#pragma once

#include <cstdint>
#include <string_view>

// The name of an ID3v1 genre byte; empty for the slots that hold no name (148 to 247).
std::string_view GenreName(uint8_t index);
