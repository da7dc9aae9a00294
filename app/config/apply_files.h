#pragma once

#include <string>

class TMP3Info;

// What Apply asks of the files it works with.

// Removes the temporary files that a Korva killed half-way left in the folder; only Korva's own
// temporary names are touched. Call it only while the folder is locked.
void RemoveStaleTemporaries(const std::string& folder);

// True for a source Apply copies: a regular file (never a pipe, a device or a file of /proc,
// which could block or never end) that reads as MPEG audio by the file list's own test. A path
// holding a NUL names no file: the system would read it only up to the NUL, and so find
// another file.
bool IsCopySource(const std::string& path, TMP3Info& tags);

// True when two regular files hold the same bytes, compared in pieces.
bool SameBytes(const std::string& a, const std::string& b);
