#pragma once

#include <string>
#include <vector>

// How Apply names the files it copies into the music folder.

// True when a table entry names a plain file inside the music folder: not empty, not "." or
// "..", and without a separator or drive colon of any platform.
bool IsPlainFileName(const std::string& name);

// The file name a source file gets in the music folder before numbering: blanks, commas,
// separators, quotes, control characters and every character without a code-page form become
// "_", so the name survives the game's table unchanged; a name that does not end in ".mp3"
// gets that extension, since the table names files without it.
std::string TableSafeFileName(const std::string& sourceName);

// The first of name, stem + "2.mp3", stem + "3.mp3", ... whose file name equals none of the
// taken names without regard to letter case.
std::string FirstFreeFileName(const std::string& name, const std::vector<std::string>& taken);
