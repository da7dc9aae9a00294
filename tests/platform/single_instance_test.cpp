#include "platform/single_instance.h"

#include <gtest/gtest.h>

// The lock file and fork() are the POSIX form; the named mutex has its own tests
// (tests/platform/windows).
#ifndef _WIN32
#include <stdlib.h>
#include <sys/stat.h>
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

// Nobody else can make the lock file a link to one of the user's files: a link there is never
// followed, and a runtime folder others may write to is not used.
TEST(SingleInstanceTest, TheLockFileIsNeverOpenedThroughALink) {
  TTempDir runtime;
  TTempDir tmp;
  setenv("XDG_RUNTIME_DIR", runtime.path().c_str(), 1);
  setenv("TMPDIR", tmp.path().c_str(), 1);
  const std::string victim = tmp / "victim";
  ASSERT_EQ(symlink(victim.c_str(), (runtime / kKorvaMutexName).c_str()), 0);
  EXPECT_NE(TSingleInstance::Acquire(kKorvaMutexName), nullptr);
  EXPECT_FALSE(std::filesystem::exists(victim));

  std::filesystem::remove(runtime / kKorvaMutexName);
  chmod(runtime.path().c_str(), 0777);
  auto lock = TSingleInstance::Acquire(kKorvaMutexName);
  ASSERT_NE(lock, nullptr);
  EXPECT_FALSE(std::filesystem::exists(runtime / kKorvaMutexName));
  const std::string own = tmp / ("korva-" + std::to_string(getuid()));
  EXPECT_EQ(std::filesystem::status(own).permissions() & std::filesystem::perms::all,
            std::filesystem::perms::owner_all);
  EXPECT_EQ(TSingleInstance::Acquire(kKorvaMutexName), nullptr);
  unsetenv("TMPDIR");
}

}  // namespace
#endif
