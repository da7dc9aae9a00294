#include "platform/folder_lock.h"

#include <thread>

#include "platform/files.h"
#include "platform/windows/wide.h"

namespace {

constexpr char kLockFileName[] = ".korva.lock";

class TLockFileHandle : public TFolderLock {
 public:
  explicit TLockFileHandle(HANDLE handle) : handle_(handle) {}
  ~TLockFileHandle() override { CloseHandle(handle_); }

 private:
  HANDLE handle_;
};

}  // namespace

std::unique_ptr<TFolderLock> TFolderLock::Acquire(const std::string& folder,
                                                  std::chrono::milliseconds wait) {
  const std::wstring path = Widen(JoinPath(folder, kLockFileName));
  const auto deadline = std::chrono::steady_clock::now() + wait;
  for (;;) {
    // No sharing: a second open fails with a sharing violation while the handle is held. The
    // file goes with the last handle.
    HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (handle != INVALID_HANDLE_VALUE) return std::make_unique<TLockFileHandle>(handle);
    if (GetLastError() != ERROR_SHARING_VIOLATION || std::chrono::steady_clock::now() >= deadline) {
      return nullptr;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
}
