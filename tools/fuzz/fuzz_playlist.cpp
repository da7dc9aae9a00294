// Arbitrary bytes as a configuration playlist. Reading never fails, and the configuration read
// must come back item for item from what Korva writes of it.

#include <cstddef>
#include <cstdint>

#include "app/config/korva_config.h"
#include "platform/text_file.h"
#include "tools/fuzz/fuzz_check.h"

namespace {

bool SameItems(const TKorvaConfig& a, const TKorvaConfig& b) {
  if (a.Count() != b.Count()) return false;
  for (int i = 0; i < a.Count(); ++i) {
    const TKorvaConfigItem& x = a.Items(i);
    const TKorvaConfigItem& y = b.Items(i);
    if (x.Scene != y.Scene || x.Loop != y.Loop || x.FileName != y.FileName || x.Info != y.Info) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  TKorvaConfig read;
  read.LoadFromPlaylistLines(SplitLines(DecodeText(bytes)));
  const std::string written =
      EncodeTextLines(read.PlaylistLines(), TTextEncoding::tenCodePageOrUtf8);
  TKorvaConfig again;
  again.LoadFromPlaylistLines(SplitLines(DecodeText(written)));
  FuzzCheck(SameItems(read, again), "a written playlist reads back the same");
  return 0;
}
