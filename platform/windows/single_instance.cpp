#include "platform/single_instance.h"

#include "platform/windows/wide.h"

namespace {

class TNamedMutex : public TSingleInstance {
 public:
  explicit TNamedMutex(HANDLE handle) : handle_(handle) {}
  ~TNamedMutex() override { CloseHandle(handle_); }

 private:
  HANDLE handle_;
};

}  // namespace

std::unique_ptr<TSingleInstance> TSingleInstance::Acquire(const std::string& name) {
  const std::wstring wide = Widen(name);
  if (HANDLE other = OpenMutexW(MUTEX_ALL_ACCESS, FALSE, wide.c_str())) {
    CloseHandle(other);
    return nullptr;
  }
  HANDLE handle = CreateMutexW(nullptr, FALSE, wide.c_str());
  if (!handle) return std::make_unique<TSingleInstance>();
  return std::make_unique<TNamedMutex>(handle);
}
