#pragma once

#include <memory>
#include <string>

// Keeps a second copy of the program from starting. On Windows this is the named mutex; off
// Windows it is an advisory lock (flock) on a file of that name in a folder only the user can
// write (XDG_RUNTIME_DIR, else a private folder in the temporary folder), never opened through a
// link. Either way the system releases it when the
// process ends, however it ends.
class TSingleInstance {
 public:
  virtual ~TSingleInstance() = default;

  // Takes the named lock; nullptr when another holder (another process, or another object in
  // this one) has it already.
  static std::unique_ptr<TSingleInstance> Acquire(const std::string& name);
};

inline constexpr char kKorvaMutexName[] = "Korva_MUTEX";
