#include <utility>

#include "platform/files.h"

namespace {

std::function<bool()>& Gate() {
  static std::function<bool()> gate;
  return gate;
}

}  // namespace

void SetFileChangeGate(std::function<bool()> gate) { Gate() = std::move(gate); }

bool FileChangeAllowed() { return !Gate() || Gate()(); }
