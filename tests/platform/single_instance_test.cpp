#include "platform/single_instance.h"

#include <gtest/gtest.h>

// The lock file and fork() are the POSIX form; the named mutex has its own tests
// (tests/platform/windows).
#ifndef _WIN32
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/platform/temp_dir.h"

namespace {

TEST(SingleInstanceTest, SecondHolderIsRefusedUntilTheFirstLetsGo) {
  TTempDir runtime;
  setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
  auto first = TSingleInstance::Acquire(kKorvaMutexName);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(TSingleInstance::Acquire(kKorvaMutexName), nullptr);
  EXPECT_NE(TSingleInstance::Acquire("Other_MUTEX"), nullptr);

  // Another process sees the lock too.
  const pid_t child = fork();
  if (child == 0) _exit(TSingleInstance::Acquire(kKorvaMutexName) ? 1 : 0);
  int status = 0;
  waitpid(child, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);

  first.reset();
  EXPECT_NE(TSingleInstance::Acquire(kKorvaMutexName), nullptr);
}

TEST(SingleInstanceTest, ProcessEndReleasesTheLock) {
  TTempDir runtime;
  setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
  const pid_t child = fork();
  if (child == 0) {
    auto lock = TSingleInstance::Acquire(kKorvaMutexName);
    _exit(lock ? 0 : 1);  // Ends without releasing anything by hand.
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_EQ(WEXITSTATUS(status), 0);
  EXPECT_NE(TSingleInstance::Acquire(kKorvaMutexName), nullptr);
}

}  // namespace
#endif
