#include "tools/difftest/layer12_rewrite.h"

#include <algorithm>

#include "mp3player/compo/decoder/frame_header.h"
#include "mp3player/compo/decoder/layer12_tables.h"
#include "tools/difftest/bit_io.h"

namespace {

// How the samples of an allocation are coded: levels, bits per code word, three per word.
struct TCoding {
  int levels = 0;  // 0: no samples.
  int bits = 0;
  bool grouped = false;
};

// Width of the allocation field of subband `sb`.
int AllocBits(const TL12Frame& f, int sb) {
  if (f.layer == 1) return 4;
  const TMPLayer2AllocTable& t = *kMPLayer2AllocTables[f.table];
  for (int g = 0, first = 0; g < t.groups; first += t.group[g++].count) {
    if (sb < first + t.group[g].count) return t.group[g].bits;
  }
  return 0;
}

TCoding Coding(const TL12Frame& f, int sb, int alloc) {
  if (alloc == 0) return {};
  if (f.layer == 1) return {(2 << alloc) - 1, alloc + 1, false};
  const TMPLayer2AllocTable& t = *kMPLayer2AllocTables[f.table];
  for (int g = 0, first = 0; g < t.groups; first += t.group[g++].count) {
    if (sb >= first + t.group[g].count) continue;
    const int cls = t.group[g].classes[alloc];
    if (cls < 0) return {};
    const TMPQuantClass& q = kMPQuantClasses[cls];
    return {q.levels, q.bits, q.grouped};
  }
  return {};
}

int Bound(const TL12Frame& f) {
  if (f.channels == 1) return 0;
  return f.mode == 1 ? std::min(4 * (f.mode_extension + 1), f.subbands) : f.subbands;
}

int Slots(const TL12Frame& f) { return f.layer == 1 ? 12 : 36; }

// The channels that carry their own allocation in subband `sb`.
int Own(const TL12Frame& f, int sb) { return sb < Bound(f) ? f.channels : 1; }

// Scale factors written for a selection: which parts take their own value.
constexpr bool kSent[4][3] = {{1, 1, 1}, {1, 0, 1}, {1, 0, 0}, {1, 1, 0}};

// Calls `code(ch, sb, slot, coding)` for each code word's samples in the order the frame holds
// them: a granule of three slots in Layer II, one slot in Layer I.
template <typename TCodeFn>
void ForEachCodeWord(const TL12Frame& f, TCodeFn code) {
  for (int s = 0; s < Slots(f); s += f.layer == 1 ? 1 : 3) {
    for (int sb = 0; sb < f.subbands; ++sb) {
      for (int ch = 0; ch < Own(f, sb); ++ch) {
        const TCoding c = Coding(f, sb, f.alloc[ch][sb]);
        if (c.levels) code(ch, sb, s, c);
      }
    }
  }
}

void ReadSamples(TBitReader& r, TL12Frame& f) {
  const int group_size = f.layer == 1 ? 1 : 3;
  ForEachCodeWord(f, [&](int ch, int sb, int s, const TCoding& c) {
    const int centre = (c.levels - 1) / 2;
    int v[3];
    if (c.grouped) {
      int code = static_cast<int>(r.Read(c.bits));
      for (int& x : v) x = code % c.levels - centre, code /= c.levels;
    } else {
      for (int i = 0; i < group_size; ++i) v[i] = static_cast<int>(r.Read(c.bits)) - centre;
    }
    for (int i = 0; i < group_size; ++i) {
      f.sample[ch][sb][s + i] = v[i];
      if (Own(f, sb) < f.channels) f.sample[1][sb][s + i] = v[i];
    }
  });
}

void WriteSamples(TBitWriter& w, const TL12Frame& f) {
  const int group_size = f.layer == 1 ? 1 : 3;
  ForEachCodeWord(f, [&](int ch, int sb, int s, const TCoding& c) {
    const int centre = (c.levels - 1) / 2;
    auto code = [&](int i) {
      return std::clamp(f.sample[ch][sb][s + i], -centre, centre) + centre;
    };
    if (c.grouped) {
      w.Put(code(0) + c.levels * (code(1) + c.levels * code(2)), c.bits);
    } else {
      for (int i = 0; i < group_size; ++i) w.Put(code(i), c.bits);
    }
  });
}

bool ReadFrame(const uint8_t* bytes, TL12Frame& f) {
  TBitReader r(bytes, f.bytes, 32 + ((bytes[1] & 1) ? 0 : 16));
  for (int sb = 0; sb < f.subbands; ++sb) {
    for (int ch = 0; ch < Own(f, sb); ++ch)
      f.alloc[ch][sb] = static_cast<int>(r.Read(AllocBits(f, sb)));
    if (Own(f, sb) < f.channels) f.alloc[1][sb] = f.alloc[0][sb];
  }
  for (int sb = 0; f.layer == 2 && sb < f.subbands; ++sb) {
    for (int ch = 0; ch < f.channels; ++ch)
      if (Coding(f, sb, f.alloc[ch][sb]).levels) f.scfsi[ch][sb] = static_cast<int>(r.Read(2));
  }
  for (int sb = 0; sb < f.subbands; ++sb) {
    for (int ch = 0; ch < f.channels; ++ch) {
      if (!Coding(f, sb, f.alloc[ch][sb]).levels) continue;
      int* sf = f.scalefactor[ch][sb];
      for (int p = 0; p < (f.layer == 1 ? 1 : 3); ++p)
        sf[p] = kSent[f.scfsi[ch][sb]][p] ? static_cast<int>(r.Read(6)) : sf[p - 1];
    }
  }
  ReadSamples(r, f);
  return !r.Overrun();
}

// The frame's bits; false when they exceed its length.
bool WriteFrame(const TL12Frame& f, std::vector<uint8_t>& out) {
  TBitWriter w;
  w.Put(f.header[0], 8);
  w.Put(f.header[1] | 1, 8);  // No CRC.
  w.Put(f.header[2], 8);
  w.Put(f.mode << 6 | f.mode_extension << 4 | (f.header[3] & 15), 8);
  for (int sb = 0; sb < f.subbands; ++sb) {
    for (int ch = 0; ch < Own(f, sb); ++ch) w.Put(f.alloc[ch][sb], AllocBits(f, sb));
  }
  auto allocated = [&](int ch, int sb) {
    return Coding(f, sb, f.alloc[sb < Bound(f) ? ch : 0][sb]).levels != 0;
  };
  for (int sb = 0; f.layer == 2 && sb < f.subbands; ++sb) {
    for (int ch = 0; ch < f.channels; ++ch)
      if (allocated(ch, sb)) w.Put(f.scfsi[ch][sb], 2);
  }
  for (int sb = 0; sb < f.subbands; ++sb) {
    for (int ch = 0; ch < f.channels; ++ch) {
      if (!allocated(ch, sb)) continue;
      for (int p = 0; p < (f.layer == 1 ? 1 : 3); ++p)
        if (f.layer == 1 || kSent[f.scfsi[ch][sb]][p])
          w.Put(std::min(f.scalefactor[ch][sb][p], 62), 6);
    }
  }
  WriteSamples(w, f);
  if (w.Bits() > size_t(8 * f.bytes)) return false;
  std::vector<uint8_t> bytes = w.Bytes();
  bytes.resize(f.bytes, 0);
  out.insert(out.end(), bytes.begin(), bytes.end());
  return true;
}

}  // namespace

bool ParseLayer12(const std::vector<uint8_t>& stream, std::vector<TL12Frame>& frames) {
  frames.clear();
  for (size_t pos = 0; pos + 4 <= stream.size();) {
    TMPAudioHeader h;
    const int32_t length = MPParseHeader(&stream[pos], 0, h);
    if (length <= 0 || h.layer_code < 2) return false;
    TL12Frame f;
    f.bytes = length + MPPaddingBytes(h);
    if (pos + f.bytes > stream.size()) break;
    std::copy_n(&stream[pos], 4, f.header);
    f.layer = h.layer_code == 3 ? 1 : 2;
    f.channels = h.mode == 3 ? 1 : 2;
    f.mode = h.mode;
    f.mode_extension = h.mode_extension;
    if (f.layer == 2) {
      f.table = MPLayer2AllocTableFor(h.id, h.mode, h.sampling_frequency, h.bitrate_index);
      if (f.table < 0) return false;
      f.subbands = kMPLayer2AllocTables[f.table]->subbands;
    }
    if (!ReadFrame(&stream[pos], f)) return false;
    frames.push_back(f);
    pos += f.bytes;
  }
  return !frames.empty();
}

void MutateLayer12(std::vector<TL12Frame>& frames, TMutationChoices& c) {
  for (TL12Frame& f : frames) {
    if (!c.Chance(60)) continue;
    if (f.channels == 2 && c.Chance(25)) {
      f.mode = static_cast<int>(c.Below(3));
      f.mode_extension = static_cast<int>(c.Below(4));
      // Subbands past the new bound share the first channel's allocation and samples.
      for (int sb = Bound(f); sb < f.subbands; ++sb) {
        f.alloc[1][sb] = f.alloc[0][sb];
        std::copy_n(f.sample[0][sb], 36, f.sample[1][sb]);
      }
    }
    const int changes = static_cast<int>(c.Below(6));
    for (int n = 0; n < changes; ++n) {
      // Half of the changes go to the four highest subbands the frame carries.
      const int sb = c.Chance(50) ? f.subbands - 1 - static_cast<int>(c.Below(4))
                                  : static_cast<int>(c.Below(f.subbands));
      const int ch = static_cast<int>(c.Below(f.channels));
      const int shared_ch = sb < Bound(f) ? ch : 0;
      const TCoding before = Coding(f, sb, f.alloc[shared_ch][sb]);
      if (c.Chance(50)) {
        const int alloc =
            static_cast<int>(c.Below((1 << AllocBits(f, sb)) - (f.layer == 1 ? 1 : 0)));
        const TCoding after = Coding(f, sb, alloc);
        if (alloc != 0 && !after.levels) continue;  // A value the table leaves unused.
        for (int k = 0; k < f.channels; ++k) {
          if (k != shared_ch && sb < Bound(f)) continue;
          f.alloc[k][sb] = alloc;
          for (int& v : f.sample[k][sb]) {
            // Keep the shape of the samples there were, else make some up.
            const int centre = (after.levels - 1) / 2, old_centre = (before.levels - 1) / 2;
            v = before.levels > 1 ? v * centre / std::max(old_centre, 1)
                                  : static_cast<int>(c.Below(2 * centre + 1)) - centre;
          }
        }
      }
      if (c.Chance(50)) f.scalefactor[ch][sb][c.Below(3)] = static_cast<int>(c.Below(63));
      if (f.layer == 2 && c.Chance(30)) f.scfsi[ch][sb] = static_cast<int>(c.Below(4));
    }
  }
}

bool WriteLayer12(const std::vector<TL12Frame>& frames, const std::vector<TL12Frame>& fallback,
                  std::vector<uint8_t>& stream) {
  stream.clear();
  for (size_t i = 0; i < frames.size(); ++i) {
    if (!WriteFrame(frames[i], stream) && !WriteFrame(fallback[i], stream)) return false;
  }
  return true;
}
