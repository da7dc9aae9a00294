#include "platform/folder_lock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/platform/temp_dir.h"

namespace {

using std::chrono::milliseconds;

TEST(FolderLockTest, OneHolderAtATimeAndTheNextWaitsForTheFirst) {
  TTempDir dir;
  auto first = TFolderLock::Acquire(dir.path(), milliseconds(0));
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(TFolderLock::Acquire(dir.path(), milliseconds(100)), nullptr);
  TTempDir other;
  EXPECT_NE(TFolderLock::Acquire(other.path(), milliseconds(0)), nullptr);

  std::thread release([&] {
    std::this_thread::sleep_for(milliseconds(200));
    first.reset();
  });
  EXPECT_NE(TFolderLock::Acquire(dir.path(), milliseconds(5000)), nullptr);
  release.join();
  EXPECT_EQ(TFolderLock::Acquire(dir / "missing", milliseconds(0)), nullptr);
}

}  // namespace
