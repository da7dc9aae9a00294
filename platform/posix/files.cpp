#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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

// Writes bytes to a temporary file beside path and renames it over path. Returns 0 or errno.
int ReplaceAtomically(const std::string& path, std::string_view bytes, mode_t mode) {
  int fd = -1;
  int openError = 0;
  const std::string temp = CreateTempBeside(path, [&](const std::string& name) {
    fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (fd >= 0) return TTempCreate::ttcCreated;
    openError = errno;
    return openError == EEXIST ? TTempCreate::ttcNameTaken : TTempCreate::ttcFailed;
  });
  if (temp.empty()) return openError;
  TFd file(fd);
  int error = 0;
  if (!WriteAll(fd, bytes) || fsync(fd) != 0) error = errno ? errno : EIO;
  if (!file.Close() && error == 0) error = errno;
  // fchmod is not enough once the umask narrowed the mode at creation.
  if (error == 0 && chmod(temp.c_str(), mode) != 0) error = errno;
  if (error == 0 && rename(temp.c_str(), path.c_str()) != 0) error = errno;
  if (error != 0) unlink(temp.c_str());
  return error;
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
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t n = read(file.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw TFileError(ErrorText(path, errno));
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  return bytes;
}

void WriteFileAtomic(const std::string& path, std::string_view bytes) {
  struct stat st;
  if (stat(path.c_str(), &st) == 0 && IsReadOnly(st)) throw TFileError(ErrorText(path, EACCES));
  const int error = ReplaceAtomically(path, bytes, ExistingModeOr(path, 0644));
  if (error != 0) throw TFileError(ErrorText(path, error));
}

bool FileCopy(const std::string& source, const std::string& dest, bool failIfExists) {
  struct stat sourceStat;
  if (stat(source.c_str(), &sourceStat) != 0 || !S_ISREG(sourceStat.st_mode)) return false;
  std::string bytes;
  try {
    bytes = ReadFileBytes(source);
  } catch (const TFileError&) {
    return false;
  }
  const mode_t mode = sourceStat.st_mode & 0777;
  if (failIfExists) {
    // O_EXCL makes the existence test and the creation one step.
    TFd file(open(dest.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    if (file.get() < 0) return false;
    const bool ok = WriteAll(file.get(), bytes) && fsync(file.get()) == 0 && file.Close() &&
                    chmod(dest.c_str(), mode) == 0;
    if (!ok) unlink(dest.c_str());
    return ok;
  }
  struct stat destStat;
  if (stat(dest.c_str(), &destStat) == 0 && (IsReadOnly(destStat) || S_ISDIR(destStat.st_mode))) {
    return false;
  }
  return ReplaceAtomically(dest, bytes, mode) == 0;
}

bool FileDelete(const std::string& path) {
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
