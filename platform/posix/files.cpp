#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/temp_file.h"
#include "platform/text_compare.h"

namespace {

// Windows' read-only attribute maps to the owner's write permission. It is checked by hand
// because the superuser could otherwise delete or overwrite such a file.
bool IsReadOnly(const struct stat& st) { return (st.st_mode & S_IWUSR) == 0; }

std::string ErrorText(const std::string& path, int error) {
  return path + ": " + std::strerror(error);
}

// Closes a descriptor when it leaves scope.
class TFd {
 public:
  explicit TFd(int fd) : fd_(fd) {}
  ~TFd() {
    if (fd_ >= 0) close(fd_);
  }
  TFd(const TFd&) = delete;
  TFd& operator=(const TFd&) = delete;
  int get() const { return fd_; }
  // Closes now and reports whether the close (which may flush) succeeded.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Makes a fresh temporary file beside path; returns its name and descriptor, or "" and errno.
std::string CreateTemp(const std::string& path, mode_t mode, int& fd, int& error) {
  fd = -1;
  error = 0;
  const std::string temp = CreateTempBeside(path, [&](const std::string& name) {
    fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0) return TTempCreate::ttcCreated;
    error = errno;
    return error == EEXIST ? TTempCreate::ttcNameTaken : TTempCreate::ttcFailed;
  });
  if (temp.empty() && error == 0) error = EEXIST;
  return temp;
}

// Gives the finished temporary file the name path: replacing what is there, or only when no
// entry of that name exists. Returns 0 or errno.
int Publish(const std::string& temp, const std::string& path, bool replace) {
  if (replace) return rename(temp.c_str(), path.c_str()) == 0 ? 0 : errno;
  // link fails on any existing entry, a dangling link included, so nothing is ever replaced.
  if (link(temp.c_str(), path.c_str()) == 0) {
    unlink(temp.c_str());
    return 0;
  }
  const int error = errno;
  if (error != EPERM && error != ENOTSUP && error != EOPNOTSUPP) return error;
  // File systems without hard links (FAT): test first, then rename.
  struct stat st;
  if (lstat(path.c_str(), &st) == 0) return EEXIST;
  return rename(temp.c_str(), path.c_str()) == 0 ? 0 : errno;
}

// Fills a fresh temporary file beside path through write, flushes it to disk, sets its mode and
// publishes it as path. On failure the temporary file is removed. Returns 0 or errno.
int ReplaceThroughTemp(const std::string& path, mode_t mode, bool replace,
                       const std::function<bool(int fd)>& write) {
  if (!FileChangeAllowed()) return EIO;
  int fd = -1;
  int error = 0;
  const std::string temp = CreateTemp(path, mode, fd, error);
  if (temp.empty()) return error;
  TFd file(fd);
  errno = 0;
  if (!write(fd) || fsync(fd) != 0) error = errno ? errno : EIO;
  if (!file.Close() && error == 0) error = errno;
  // fchmod is not enough once the umask narrowed the mode at creation.
  if (error == 0 && chmod(temp.c_str(), mode) != 0) error = errno;
  if (error == 0) error = Publish(temp, path, replace);
  if (error != 0) unlink(temp.c_str());
  return error;
}

int ReplaceAtomically(const std::string& path, std::string_view bytes, mode_t mode) {
  return ReplaceThroughTemp(path, mode, true, [&](int fd) { return WriteAll(fd, bytes); });
}

// Copies the size bytes a regular file had when it was opened, in fixed-size pieces, so that no
// size of source can exhaust memory. Files of /proc claim no size and may never end: they give
// nothing.
bool CopyAll(int from, int to, off_t size) {
  std::vector<char> buffer(1 << 16);
  while (size > 0) {
    const ssize_t n =
        read(from, buffer.data(), static_cast<std::size_t>(std::min<off_t>(size, buffer.size())));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return false;
    if (n == 0) return true;
    size -= n;
    if (!WriteAll(to, std::string_view(buffer.data(), static_cast<std::size_t>(n)))) return false;
  }
  return true;
}

// Reads to the end of the file; more than maxBytes (the file may grow while it is read) throws.
std::string ReadToEnd(int fd, const std::string& path, std::size_t maxBytes) {
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw TFileError(ErrorText(path, errno));
    if (n == 0) return bytes;
    if (static_cast<std::size_t>(n) > maxBytes - bytes.size()) {
      throw TFileError(ErrorText(path, EFBIG));
    }
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
}

mode_t ExistingModeOr(const std::string& path, mode_t fallback) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : fallback;
}

}  // namespace

bool FileExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool IsRegularFile(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

std::optional<TFileStamp> FileStampOf(const std::string& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  const int64_t modified = int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
  return TFileStamp{static_cast<int64_t>(st.st_size), modified};
}

bool DirectoryExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ReadFileBytes(const std::string& path) {
  TFd file(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) throw TFileError(ErrorText(path, errno));
  struct stat st;
  if (fstat(file.get(), &st) != 0) throw TFileError(ErrorText(path, errno));
  if (S_ISDIR(st.st_mode)) throw TFileError(ErrorText(path, EISDIR));
  return ReadToEnd(file.get(), path, std::string::npos);
}

std::string ReadRegularFile(const std::string& path, std::size_t maxBytes) {
  // O_NONBLOCK: opening a named pipe with no writer would otherwise wait for ever.
  TFd file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (file.get() < 0) throw TFileError(ErrorText(path, errno));
  struct stat st;
  if (fstat(file.get(), &st) != 0) throw TFileError(ErrorText(path, errno));
  if (!S_ISREG(st.st_mode)) {
    throw TFileError(ErrorText(path, S_ISDIR(st.st_mode) ? EISDIR : EINVAL));
  }
  if (static_cast<uint64_t>(st.st_size) > maxBytes) throw TFileError(ErrorText(path, EFBIG));
  return ReadToEnd(file.get(), path, maxBytes);
}

void WriteFileAtomic(const std::string& path, std::string_view bytes) {
  struct stat st;
  if (stat(path.c_str(), &st) == 0 && IsReadOnly(st)) throw TFileError(ErrorText(path, EACCES));
  const int error = ReplaceAtomically(path, bytes, ExistingModeOr(path, 0644));
  if (error != 0) throw TFileError(ErrorText(path, error));
}

bool FileCopy(const std::string& source, const std::string& dest, bool failIfExists) {
  // O_NONBLOCK keeps a named pipe from blocking; only a regular file is copied.
  TFd from(open(source.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  struct stat sourceStat;
  if (from.get() < 0 || fstat(from.get(), &sourceStat) != 0 || !S_ISREG(sourceStat.st_mode)) {
    return false;
  }
  if (!failIfExists) {
    struct stat destStat;
    if (stat(dest.c_str(), &destStat) == 0 && (IsReadOnly(destStat) || S_ISDIR(destStat.st_mode))) {
      return false;
    }
  }
  const mode_t mode = sourceStat.st_mode & 0777;
  return ReplaceThroughTemp(dest, mode, !failIfExists, [&](int fd) {
           return CopyAll(from.get(), fd, sourceStat.st_size);
         }) == 0;
}

bool FileDelete(const std::string& path) {
  if (!FileChangeAllowed()) return false;
  struct stat st;
  if (lstat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode)) return false;
  if (!S_ISLNK(st.st_mode) && IsReadOnly(st)) return false;
  return unlink(path.c_str()) == 0;
}

bool FileSetAttr(const std::string& path, unsigned attributes) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return false;
  mode_t mode = st.st_mode & 07777;
  if (attributes & faReadOnly) {
    mode &= ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH);
  } else {
    mode |= S_IWUSR;
  }
  return chmod(path.c_str(), mode) == 0;
}

std::vector<std::string> ListFiles(const std::string& folder, std::string_view pattern) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name == "." || name == "..") continue;
    if (!MatchesWildcard(name, pattern)) continue;
    // Only regular files: opening a named pipe or a device listed here could block for ever.
    struct stat st;
    if (stat(JoinPath(folder, name).c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
      names.push_back(name);
    }
  }
  closedir(dir);
  SortNames(names);
  return names;
}

std::vector<std::string> ListEntryNames(const std::string& folder) {
  std::vector<std::string> names;
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (!dir) return names;
  while (const dirent* entry = readdir(dir)) {
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  return names;
}
