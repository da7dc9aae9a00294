#include "platform/files.h"
#include "platform/program_path.h"

std::string ProgramFolder() { return ExtractFilePath(ProgramFilePath()); }
