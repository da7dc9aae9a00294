#pragma once

#include <functional>
#include <string>

// Temporary files beside a target, which replace the target in one rename. Their names do not
// grow with the target's, so a target whose name is as long as the file system allows still
// gets one. Both platforms' file functions name them here.

enum class TTempCreate { ttcCreated, ttcNameTaken, ttcFailed };

// Calls create with temporary paths in the target's folder, a fresh name each time the last one
// was taken, and returns the path create made; "" when create failed or no free name was found.
std::string CreateTempBeside(const std::string& target,
                             const std::function<TTempCreate(const std::string& temp)>& create);
