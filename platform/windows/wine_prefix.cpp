#include "platform/wine_paths.h"

std::optional<std::string> WinePrefix() { return std::nullopt; }
