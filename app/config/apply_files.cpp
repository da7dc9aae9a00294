#include "app/config/apply_files.h"

#include <algorithm>
#include <exception>
#include <optional>
#include <vector>

#include "mp3player/compo/info/mp3_file_info.h"
#include "mp3player/compo/io/file_stream.h"
#include "platform/files.h"
#include "platform/temp_file.h"

namespace {

// Reads until the buffer is full or the file ends; returns how many bytes came.
std::size_t ReadUpTo(TMPFileStream& file, std::vector<uint8_t>& buffer) {
  std::size_t n = 0;
  while (n < buffer.size()) {
    const int32_t got = file.Read(buffer.data() + n, static_cast<int32_t>(buffer.size() - n));
    if (got <= 0) break;
    n += static_cast<std::size_t>(got);
  }
  return n;
}

}  // namespace

void RemoveStaleTemporaries(const std::string& folder) {
  for (const std::string& name : ListFiles(folder, "*.tmp")) {
    if (IsTempBesideName(name)) FileDelete(JoinPath(folder, name));
  }
}

bool IsCopySource(const std::string& path, TMP3Info& tags) {
  return path.find('\0') == std::string::npos && IsRegularFile(path) &&
         ReadsAsMpegAudio(path, tags);
}

bool SameBytes(const std::string& a, const std::string& b) {
  const std::optional<TFileStamp> stampA = FileStampOf(a);
  const std::optional<TFileStamp> stampB = FileStampOf(b);
  if (!stampA || !stampB || stampA->Size != stampB->Size) return false;
  try {
    TMPFileStream fileA(a);
    TMPFileStream fileB(b);
    std::vector<uint8_t> bytesA(1 << 16);
    std::vector<uint8_t> bytesB(1 << 16);
    for (;;) {
      const std::size_t n = ReadUpTo(fileA, bytesA);
      if (ReadUpTo(fileB, bytesB) != n ||
          !std::equal(bytesA.begin(), bytesA.begin() + n, bytesB.begin())) {
        return false;
      }
      if (n == 0) return true;
    }
  } catch (const std::exception&) {
    return false;
  }
}
