#include "tools/playwav/wave_file.h"

#include <cstdint>
#include <optional>
#include <stdexcept>

namespace {

constexpr uint16_t kFormatPcm = 1;
constexpr uint16_t kFormatExtensible = 0xFFFE;

uint32_t Le(std::string_view bytes, size_t offset, int width) {
  uint32_t value = 0;
  for (int i = width - 1; i >= 0; --i) {
    value = value << 8 | static_cast<uint8_t>(bytes[offset + static_cast<size_t>(i)]);
  }
  return value;
}

[[noreturn]] void Fail(const std::string& what) { throw std::runtime_error(what); }

TWavePcm ParseFormat(std::string_view chunk) {
  if (chunk.size() < 16) Fail("the fmt chunk is too short");
  uint32_t tag = Le(chunk, 0, 2);
  // The extensible form names the real format in the first two bytes of its sub-format.
  if (tag == kFormatExtensible && chunk.size() >= 26) tag = Le(chunk, 24, 2);
  if (tag != kFormatPcm) Fail("not linear PCM (format " + std::to_string(tag) + ")");
  TWavePcm pcm;
  pcm.Channels = static_cast<int>(Le(chunk, 2, 2));
  pcm.SampleRate = static_cast<int>(Le(chunk, 4, 4));
  pcm.BitsPerSample = static_cast<int>(Le(chunk, 14, 2));
  if (pcm.Channels != 1 && pcm.Channels != 2) {
    Fail(std::to_string(pcm.Channels) + " channels; only 1 or 2 can be played");
  }
  if (pcm.BitsPerSample != 8 && pcm.BitsPerSample != 16) {
    Fail(std::to_string(pcm.BitsPerSample) + "-bit samples; only 8 or 16 bits can be played");
  }
  if (pcm.SampleRate <= 0) Fail("no sampling rate");
  return pcm;
}

}  // namespace

TWavePcm ParseWave(std::string_view file) {
  if (file.size() < 12 || file.substr(0, 4) != "RIFF" || file.substr(8, 4) != "WAVE") {
    Fail("not a RIFF/WAVE file");
  }
  std::optional<TWavePcm> format;
  size_t offset = 12;
  while (file.size() - offset >= 8) {
    const std::string_view id = file.substr(offset, 4);
    const size_t size = Le(file, offset + 4, 4);
    const std::string_view body = file.substr(offset + 8, size);  // cut at the end of the file
    if (id == "fmt ") format = ParseFormat(body);
    if (id == "data") {
      if (!format) Fail("the data chunk comes before the fmt chunk");
      format->Data = body;
      return *format;
    }
    // Chunks are padded to an even length.
    const size_t next = offset + 8 + body.size() + (body.size() & 1);
    if (next > file.size()) break;
    offset = next;
  }
  Fail(format ? "no data chunk" : "no fmt chunk");
}
