#pragma once

#include <chrono>
#include <memory>
#include <string>

// An exclusive lock that processes take on a folder before they change what is in it, so that
// two of them never mix their changes. The system releases it when the holder ends, however it
// ends. Off Windows it is an advisory lock (flock) on the folder itself; on Windows it is a
// lock file in the folder that nobody else may open while it is held.
class TFolderLock {
 public:
  virtual ~TFolderLock() = default;

  // Takes the lock, trying again for up to wait while another holder has it; nullptr when it
  // is still held then, or the folder cannot be locked at all.
  static std::unique_ptr<TFolderLock> Acquire(const std::string& folder,
                                              std::chrono::milliseconds wait);
};
