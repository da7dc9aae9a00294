// Feeds arbitrary bytes to the stream information reader in both calling orders: the player's
// (head tags, then tail tags when the size is known) and the file list's (head tags, first frame,
// tail tags), over a reader of the size both use and over a small one that makes the
// larger-than-buffer paths cheap to reach. Any exception is a finding: the scans raise none.

#include <cstddef>
#include <cstdint>

#include "mp3player/compo/info/mp3_info.h"
#include "mp3player/compo/io/memory_stream.h"
#include "mp3player/compo/io/stream_reader.h"

namespace {

void ReadAsPlayer(const uint8_t* data, int32_t size, bool seekable) {
  TMPMemoryStream stream(data, size);
  TMPStreamReader reader(65536);
  reader.Attach(&stream, seekable);
  TMP3Info info;
  info.Attach(&reader);
  info.ReadHeadTags();
  if (seekable) info.ReadTailTags();
  info.Attach(nullptr);
  (void)info.Title();
  (void)info.Comment();
}

void ReadAsFileList(const uint8_t* data, int32_t size, int32_t capacity) {
  TMPMemoryStream stream(data, size);
  TMPStreamReader reader(capacity);
  reader.Attach(&stream, true);
  TMP3Info info;
  info.Attach(&reader);
  if (info.ReadHeadTags() && info.FindFirstFrame()) info.ReadTailTags();
  info.Attach(nullptr);
  (void)info.Artist();
  (void)info.Album();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto n = static_cast<int32_t>(size > (1u << 24) ? (1u << 24) : size);
  ReadAsPlayer(data, n, true);
  ReadAsPlayer(data, n, false);
  ReadAsFileList(data, n, 65536);
  ReadAsFileList(data, n, 512);
  return 0;
}
