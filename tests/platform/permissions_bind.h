#pragma once

#ifdef _WIN32
// Windows grants access through access lists, which the permission bits the tests set do not
// change, so nothing binds there and the tests that need it skip.
class TPermissionsBind {
 public:
  bool Active() const { return false; }
};
#else
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

// While it lives, file permissions deny the calling thread what they deny an ordinary user, also
// when the tests run as the superuser (as they do in CI containers): the thread puts aside the
// capabilities that let root read and search any file. Active() is false when that cannot be
// done, and a test that needs it should then skip.
class TPermissionsBind {
 public:
  TPermissionsBind() {
    if (geteuid() != 0) {
      active_ = true;
      return;
    }
    if (syscall(SYS_capget, &header_, saved_) != 0) return;
    __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
    lowered[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    active_ = syscall(SYS_capset, &header_, lowered) == 0;
    restore_ = active_;
  }
  ~TPermissionsBind() {
    if (restore_) syscall(SYS_capset, &header_, saved_);
  }
  TPermissionsBind(const TPermissionsBind&) = delete;
  TPermissionsBind& operator=(const TPermissionsBind&) = delete;

  bool Active() const { return active_; }

 private:
  __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct saved_[2]{};
  bool active_ = false;
  bool restore_ = false;
};
#endif
