#pragma once

#include <cstdint>
#include <functional>
#include <optional>
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
// True for a regular file (a link to one included): not a folder, pipe, device or socket.
bool IsRegularFile(const std::string& path);

// What identifies a file's content without reading it: its size and modification time. A link
// is not followed, so a copy replaced by a link no longer matches.
struct TFileStamp {
  int64_t Size = 0;
  int64_t Modified = 0;  // in the platform's finest unit
  bool operator==(const TFileStamp&) const = default;
};
// The stamp of a regular file; nullopt for anything else or nothing.
std::optional<TFileStamp> FileStampOf(const std::string& path);

// Copies a regular file with its read-only attribute, in fixed-size pieces whatever its size.
// The bytes go to a temporary file beside the destination, are flushed to disk and only then
// take the destination's name, so a failure or a crash never leaves a partial destination. With
// failIfExists any existing entry of that name (a file, folder or link) is left alone and the
// copy fails; otherwise a file is replaced unless it is read-only. Returns false on any failure.
bool FileCopy(const std::string& source, const std::string& dest, bool failIfExists);

// Deletes a file; false when it does not exist, is read-only, or cannot be removed.
bool FileDelete(const std::string& path);

// Sets the attributes; false on failure.
bool FileSetAttr(const std::string& path, unsigned attributes);

// The names (not paths) of the regular files in a folder whose names match the wildcard pattern
// ('*' any run of characters, '?' one character), compared without regard to letter case, in
// name order (SortNames), whatever order the file system keeps. An unreadable folder gives an
// empty list.
std::vector<std::string> ListFiles(const std::string& folder, std::string_view pattern);

// The names of every entry in a folder: files, folders, links (dangling ones too) and the rest;
// "." and ".." aside. An unreadable folder gives an empty list.
std::vector<std::string> ListEntryNames(const std::string& folder);

// Reads a whole file; throws TFileError.
std::string ReadFileBytes(const std::string& path);

// Reads a whole regular file of at most maxBytes bytes. The file is opened without waiting, so a
// named pipe or a device can never block the caller; anything that is not a regular file, or is
// larger, throws TFileError as an unreadable file does.
std::string ReadRegularFile(const std::string& path, std::size_t maxBytes);

// Tests stop a chain of file changes at a chosen step with this: while a gate is set, every
// changing operation (copy, delete, atomic write) asks it first and fails, as the file system
// would, when it answers false. An empty function removes the gate.
void SetFileChangeGate(std::function<bool()> gate);
// Asked by the changing operations: false when the gate refuses the change.
bool FileChangeAllowed();

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
