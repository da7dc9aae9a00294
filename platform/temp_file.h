#pragma once

#include <functional>
#include <string>
#include <string_view>

// Temporary files beside a target, which replace the target in one rename. Their names do not
// grow with the target's, so a target whose name is as long as the file system allows still
// gets one. Both platforms' file functions name them here.

enum class TTempCreate { ttcCreated, ttcNameTaken, ttcFailed };

// Calls create with temporary paths in the target's folder, a fresh name each time the last one
// was taken, and returns the path create made; "" when create failed or no free name was found.
std::string CreateTempBeside(const std::string& target,
                             const std::function<TTempCreate(const std::string& temp)>& create);

// True for a name CreateTempBeside gives. One found in a folder that nobody is writing to was
// left by a process that ended before it could rename or remove it.
bool IsTempBesideName(std::string_view name);
