#pragma once

#include <optional>
#include <string_view>

// A whole text read as a decimal integer (an optional minus sign and digits only); nullopt for
// anything else, including an empty text and a value out of range.
std::optional<int> ParseDecimal(std::string_view text);
