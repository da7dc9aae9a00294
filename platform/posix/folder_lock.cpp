#include "platform/folder_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

namespace {

class TFlockedFolder : public TFolderLock {
 public:
  explicit TFlockedFolder(int fd) : fd_(fd) {}
  ~TFlockedFolder() override { close(fd_); }

 private:
  int fd_;
};

}  // namespace

std::unique_ptr<TFolderLock> TFolderLock::Acquire(const std::string& folder,
                                                  std::chrono::milliseconds wait) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return nullptr;
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    if (flock(fd, LOCK_EX | LOCK_NB) == 0) return std::make_unique<TFlockedFolder>(fd);
    if ((errno != EWOULDBLOCK && errno != EINTR) || std::chrono::steady_clock::now() >= deadline) {
      close(fd);
      return nullptr;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}
