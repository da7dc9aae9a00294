#pragma once

#include "platform/os_version.h"

// Classifies the Windows version: 1 to 3 for the 9x family (95, 98, Me), 5 for NT 4, 4 for
// Windows 2000, 6 for the later NT 5 versions (XP, Server 2003), 0 for everything else. Only 6
// changes anything: the folder tree then draws no lines between its nodes.
int GetWindowsKind(const TOsVersion& version);
