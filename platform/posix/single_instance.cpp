#include "platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/files.h"

namespace {

class TLockFile : public TSingleInstance {
 public:
  explicit TLockFile(int fd) : fd_(fd) {}
  ~TLockFile() override { close(fd_); }  // Closing releases the lock; the file stays.

 private:
  int fd_;
};

// A folder (not a link to one) of this user that nobody else can write to: nobody else can then
// put a link where the lock file goes.
bool IsPrivateFolder(const std::string& folder) {
  struct stat st;
  return lstat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == getuid() &&
         (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

// The user's runtime folder when it is private; otherwise a private folder of this user's made
// in the temporary folder, which everybody shares. "" when there is no such folder.
std::string LockFolder() {
  if (const char* dir = std::getenv("XDG_RUNTIME_DIR"); dir && *dir && IsPrivateFolder(dir)) {
    return dir;
  }
  const char* tmp = std::getenv("TMPDIR");
  const std::string shared = tmp && *tmp && DirectoryExists(tmp) ? tmp : "/tmp";
  const std::string folder = JoinPath(shared, "korva-" + std::to_string(getuid()));
  mkdir(folder.c_str(), 0700);
  return IsPrivateFolder(folder) ? folder : std::string();
}

}  // namespace

std::unique_ptr<TSingleInstance> TSingleInstance::Acquire(const std::string& name) {
  const std::string folder = LockFolder();
  // O_NOFOLLOW: the lock file is never created or opened through a link.
  const int fd = folder.empty() ? -1
                                : open(JoinPath(folder, name).c_str(),
                                       O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
  // A lock file that cannot even be created must not keep the program from running.
  if (fd < 0) return std::make_unique<TSingleInstance>();
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return nullptr;
  }
  return std::make_unique<TLockFile>(fd);
}
