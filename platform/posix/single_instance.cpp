#include "platform/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
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

std::string RuntimeFolder() {
  if (const char* dir = std::getenv("XDG_RUNTIME_DIR"); dir && *dir && DirectoryExists(dir)) {
    return dir;
  }
  if (const char* dir = std::getenv("TMPDIR"); dir && *dir && DirectoryExists(dir)) return dir;
  return "/tmp";
}

}  // namespace

std::unique_ptr<TSingleInstance> TSingleInstance::Acquire(const std::string& name) {
  std::string path = JoinPath(RuntimeFolder(), name);
  // The shared temporary folder is everybody's: the user's id keeps users apart.
  if (!std::getenv("XDG_RUNTIME_DIR")) path += "-" + std::to_string(getuid());
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
  // A lock file that cannot even be created must not keep the program from running.
  if (fd < 0) return std::make_unique<TSingleInstance>();
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    close(fd);
    return nullptr;
  }
  return std::make_unique<TLockFile>(fd);
}
