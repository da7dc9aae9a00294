#include "tools/difftest/differential.h"

#include <mpg123.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "mp3player/compo/decoder/decoder.h"
#include "mp3player/compo/io/memory_stream.h"
#include "mp3player/compo/io/stream_reader.h"
#include "mp3player/compo/player/frame_loop.h"

namespace {

struct TMemoryFile {
  const std::vector<uint8_t>* bytes;
  size_t pos = 0;
};

mpg123_ssize_t ReadMemory(void* handle, void* buffer, size_t size) {
  auto* f = static_cast<TMemoryFile*>(handle);
  const size_t n = std::min(size, f->bytes->size() - f->pos);
  std::memcpy(buffer, f->bytes->data() + f->pos, n);
  f->pos += n;
  return static_cast<mpg123_ssize_t>(n);
}

off_t SeekMemory(void* handle, off_t offset, int whence) {
  auto* f = static_cast<TMemoryFile*>(handle);
  const off_t base = whence == SEEK_SET   ? 0
                     : whence == SEEK_CUR ? static_cast<off_t>(f->pos)
                                          : static_cast<off_t>(f->bytes->size());
  const off_t to = base + offset;
  if (to < 0 || to > static_cast<off_t>(f->bytes->size())) return -1;
  f->pos = static_cast<size_t>(to);
  return to;
}

}  // namespace

TDecodedPcm DecodeOwn(const std::vector<uint8_t>& stream) {
  TDecodedPcm out;
  TMPMemoryStream memory(stream.data(), static_cast<int32_t>(stream.size()));
  TMPStreamReader reader(64 * 1024);
  reader.Attach(&memory, true);
  TMPFrameLoop loop;
  if (!loop.Open(reader, static_cast<int32_t>(stream.size()))) return out;
  out.channels = loop.Info().channels;
  out.rate = loop.Info().sample_rate;
  alignas(16) uint8_t pcm[kMPMaxPcmBytes];
  for (;;) {
    const int32_t bytes = loop.Step(pcm);
    if (bytes == TMPFrameLoop::kEnd) break;
    const size_t at = out.samples.size();
    out.samples.resize(at + bytes / 2);
    std::memcpy(out.samples.data() + at, pcm, bytes);
  }
  return out;
}

TDecodedPcm DecodeReference(const std::vector<uint8_t>& stream, int channels, int rate) {
  TDecodedPcm out;
  out.channels = channels;
  out.rate = rate;
  mpg123_handle* mh = mpg123_new(nullptr, nullptr);
  if (!mh) return out;
  mpg123_param(mh, MPG123_FLAGS, MPG123_QUIET | MPG123_IGNORE_INFOFRAME, 0);
  mpg123_param(mh, MPG123_RESYNC_LIMIT, -1, 0);
  mpg123_format_none(mh);
  mpg123_format(mh, rate, channels == 1 ? MPG123_MONO : MPG123_STEREO, MPG123_ENC_SIGNED_16);
  // Subband 31 lies outside the bandwidth this decoder is designed for.
  mpg123_eq(mh, MPG123_LR, 31, 0.0);
  TMemoryFile file{&stream};
  mpg123_replace_reader_handle(mh, ReadMemory, SeekMemory, nullptr);
  if (mpg123_open_handle(mh, &file) == MPG123_OK) {
    alignas(16) unsigned char buffer[16384];
    for (;;) {
      size_t done = 0;
      const int result = mpg123_read(mh, buffer, sizeof buffer, &done);
      out.samples.insert(out.samples.end(), reinterpret_cast<const int16_t*>(buffer),
                         reinterpret_cast<const int16_t*>(buffer) + done / 2);
      if (result != MPG123_OK && result != MPG123_NEW_FORMAT) break;
    }
    mpg123_close(mh);
  }
  mpg123_delete(mh);
  return out;
}

std::string TComparison::Describe() const {
  char text[96];
  std::snprintf(text, sizeof text, "%s rms %.4f LSB, max %d LSB",
                same_length ? "same length," : "lengths differ,", difference.rms,
                difference.largest);
  return text;
}

TComparison CompareDecoders(const std::vector<uint8_t>& stream) {
  const TDecodedPcm own = DecodeOwn(stream);
  if (own.channels == 0) return {};
  const TDecodedPcm reference = DecodeReference(stream, own.channels, own.rate);
  TComparison c;
  c.same_length = own.samples.size() == reference.samples.size();
  c.difference = Difference(own.samples, reference.samples);
  return c;
}
