#pragma once

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// File operations in the form the program uses them, with the behaviour of their Windows
// originals: a read-only file cannot be deleted or overwritten, a copy can be told to fail when
// the destination exists, and folder listings match wildcards without regard to letter case.

// A file could not be read, created or written. The message names the path and the reason.
class TFileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Attribute bits as Windows defines them; off Windows only the read-only bit has an effect.
inline constexpr unsigned faReadOnly = 0x01;
inline constexpr unsigned faHidden = 0x02;
inline constexpr unsigned faSysFile = 0x04;
inline constexpr unsigned faArchive = 0x20;

// The platform's path separator: '\' on Windows, '/' elsewhere.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);

// Copies a file with its read-only attribute. With failIfExists an existing destination is left
// alone and the copy fails; otherwise it is replaced unless it is read-only. An overwriting copy
// goes through a temporary file beside the destination, so a failure leaves the old destination
// whole. Returns false on any failure.
bool FileCopy(const std::string& source, const std::string& dest, bool failIfExists);

// Deletes a file; false when it does not exist, is read-only, or cannot be removed.
bool FileDelete(const std::string& path);

// Sets the attributes; false on failure.
bool FileSetAttr(const std::string& path, unsigned attributes);

// The names (not paths) of the regular files in a folder whose names match the wildcard pattern
// ('*' any run of characters, '?' one character), compared without regard to letter case, in the
// order the file system returns them. An unreadable folder gives an empty list.
std::vector<std::string> ListFiles(const std::string& folder, std::string_view pattern);

// Reads a whole file; throws TFileError.
std::string ReadFileBytes(const std::string& path);

// Replaces the file's content atomically: the bytes go to a temporary file beside it, which is
// flushed to disk and then renamed over the file. On any failure the temporary file is removed,
// the old file is left as it was, and TFileError is thrown.
void WriteFileAtomic(const std::string& path, std::string_view bytes);

// Path helpers on the platform's separator.
// folder + separator + name; no separator is added after an empty folder or one that ends in it.
std::string JoinPath(const std::string& folder, const std::string& name);
// The folder to open for a path: on Windows a bare drive name such as "C:" names the drive's
// current folder, so it becomes the drive's root "C:\"; every other path stays as it is.
std::string FolderToOpen(const std::string& path);
// Everything up to and including the last separator (and, on Windows, drive colon); "" if none.
std::string ExtractFilePath(const std::string& path);
// Everything after the last separator.
std::string ExtractFileName(const std::string& path);
// The path with the extension of its file name (from the last dot on) replaced by ext, which
// includes its dot; a name without a dot gets ext appended.
std::string ChangeFileExt(const std::string& path, const std::string& ext);
