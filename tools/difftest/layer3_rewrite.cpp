#include "tools/difftest/layer3_rewrite.h"

#include <algorithm>
#include <cstdlib>
#include <unordered_map>

#include "mp3player/compo/decoder/frame_header.h"
#include "mp3player/compo/decoder/layer3.h"
#include "mp3player/compo/decoder/tables_data.h"
#include "tools/difftest/bit_io.h"

namespace {

// ---- Huffman code words, both ways ----

struct TCode {
  uint32_t code = 0;
  int length = 0;
};

struct THuffman {
  TCode encode[34][16][16];  // By the table that holds the words; count1 tables at [vwxy][0].
  std::unordered_map<uint32_t, uint16_t> decode[34];  // (length << 24 | code) -> x << 8 | y.
  int largest[34] = {};                               // Largest x or y before linbits.
};

const THuffman& Huffman() {
  static const THuffman h = [] {
    THuffman t;
    for (int i = 0; i < 34; ++i) {
      const TMPHuffCodeTable& table = kMPHuffCodeTables[i];
      if (table.base != i) continue;
      for (int c = 0; c < table.count; ++c) {
        const TMPHuffCode& w = table.codes[c];
        t.encode[i][w.x][w.y] = {w.code, w.length};
        t.decode[i][uint32_t(w.length) << 24 | w.code] = uint16_t(w.x << 8 | w.y);
        t.largest[i] = std::max<int>({t.largest[i], w.x, w.y});
      }
    }
    return t;
  }();
  return h;
}

// The largest value big-value table `t` can code (-1: none, as tables 4 and 14).
int Capacity(int t) {
  const TMPHuffCodeTable& table = kMPHuffCodeTables[t];
  if (t == 0) return 0;
  if (table.count == 0) return -1;
  return table.linbits ? 15 + (1 << table.linbits) - 1 : Huffman().largest[table.base];
}

// `wanted` if it can code `largest`, else the table of least capacity that can.
int TableFor(int wanted, int largest) {
  if (Capacity(wanted) >= largest) return wanted;
  int best = -1;
  for (int t = 0; t < 32; ++t) {
    if (Capacity(t) >= largest && (best < 0 || Capacity(t) < Capacity(best))) best = t;
  }
  return best;
}

bool DecodeWord(TBitReader& r, int table, int& x, int& y) {
  const auto& words = Huffman().decode[kMPHuffCodeTables[table].base];
  uint32_t code = 0;
  for (int length = 1; length <= 24; ++length) {
    code = code << 1 | r.Read(1);
    const auto found = words.find(uint32_t(length) << 24 | code);
    if (found != words.end()) {
      x = found->second >> 8;
      y = found->second & 0xFF;
      return true;
    }
  }
  return false;
}

int ReadValue(TBitReader& r, int v, int linbits) {
  if (v == 15 && linbits) v += static_cast<int>(r.Read(linbits));
  return v && r.Read(1) ? -v : v;
}

void WriteValue(TBitWriter& w, int v, int linbits) {
  const int magnitude = std::abs(v);
  if (linbits && magnitude >= 15) w.Put(magnitude - 15, linbits);
  if (magnitude) w.Put(v < 0, 1);
}

// ---- Band layout ----

const int16_t* Bounds(const TL3Frame& f) { return kMPBandBoundaries[f.rate_index]; }

// First line of big-value regions 1 and 2.
void RegionStarts(const TL3Frame& f, const TL3Granule& g, int count, int& region1, int& region2) {
  const int16_t* b = Bounds(f);
  int r0 = g.region0_count, r1 = g.region1_count;
  if (g.block_type) {
    r0 = (!f.mpeg1 && g.block_type == 2) ? 5 : 7;
    r1 = 20 - r0;  // Region 1 reaches the end of the big values.
  }
  region1 = std::min<int>(b[std::min(r0 + 1, 22)], count);
  region2 = std::min<int>(b[std::min(r0 + r1 + 2, 22)], count);
}

// ---- Scale factors ----

// How the scale factors of a granule are laid out: per group of bands its width in bits, the
// long bands and short bands it holds.
struct TGroup {
  int slen = 0;
  int long_first = 0, long_end = 0;
  int short_first = 0, short_end = 0;
  int scfsi_bit = 0;  // MPEG-1 long blocks: the scfsi bit that skips the group in granule 1.
};

int Layout(const TL3Frame& f, const TL3Granule& g, int ch, TGroup groups[4], int& preflag) {
  const bool is_short = g.block_type == 2;
  if (f.mpeg1) {
    preflag = g.preflag;
    const int slen1 = kMPSlen[0][g.scalefac_compress & 15];
    const int slen2 = kMPSlen[1][g.scalefac_compress & 15];
    if (is_short && g.mixed) {
      groups[0] = {slen1, 0, 8, 3, 6, 0};
      groups[1] = {slen2, 0, 0, 6, 12, 0};
      return 2;
    }
    if (is_short) {
      groups[0] = {slen1, 0, 0, 0, 6, 0};
      groups[1] = {slen2, 0, 0, 6, 12, 0};
      return 2;
    }
    groups[0] = {slen1, 0, 6, 0, 0, 8};
    groups[1] = {slen1, 6, 11, 0, 0, 4};
    groups[2] = {slen2, 11, 16, 0, 0, 2};
    groups[3] = {slen2, 16, 21, 0, 0, 1};
    return 4;
  }
  int32_t slen[4], lsf_preflag = 0;
  const bool intensity_right = ch == 1 && (f.mode_extension & 1);
  const int table = MPLayer3Mpeg2Slen(g.scalefac_compress, intensity_right, slen, lsf_preflag);
  preflag = lsf_preflag;
  const int kind = !is_short ? 0 : g.mixed ? 2 : 1;
  int long_band = 0, short_band = kind == 2 ? 3 : 0;
  for (int i = 0; i < 4; ++i) {
    int values = kMPNrOfSfb[table][kind][i];
    TGroup& group = groups[i];
    group = {slen[i], long_band, long_band, short_band, short_band, 0};
    if (kind == 0 || (kind == 2 && i == 0)) {
      const int longs = kind == 0 ? values : 6;
      long_band += longs;
      values -= longs;
    }
    short_band += kind == 0 ? 0 : values / 3;
    group.long_end = long_band;
    group.short_end = short_band;
  }
  return 4;
}

bool Skipped(const TL3Frame& f, int gr, int ch, const TGroup& group) {
  return f.mpeg1 && gr == 1 && (f.scfsi[ch] & group.scfsi_bit);
}

void ReadScaleFactors(TBitReader& r, TL3Frame& f, int gr, int ch) {
  TL3Granule& g = f.granule[gr][ch];
  TGroup groups[4];
  const int count = Layout(f, g, ch, groups, g.preflag);
  for (int i = 0; i < count; ++i) {
    const TGroup& group = groups[i];
    for (int b = group.long_first; b < group.long_end; ++b) {
      g.sf_long[b] = Skipped(f, gr, ch, group) ? f.granule[0][ch].sf_long[b]
                                               : static_cast<int>(r.Read(group.slen));
    }
    for (int b = group.short_first; b < group.short_end; ++b) {
      for (int w = 0; w < 3; ++w) g.sf_short[b][w] = static_cast<int>(r.Read(group.slen));
    }
  }
}

void WriteScaleFactors(TBitWriter& w, const TL3Frame& f, int gr, int ch) {
  const TL3Granule& g = f.granule[gr][ch];
  TGroup groups[4];
  int preflag = 0;
  const int count = Layout(f, g, ch, groups, preflag);
  for (int i = 0; i < count; ++i) {
    const TGroup& group = groups[i];
    if (Skipped(f, gr, ch, group)) continue;
    const int largest = (1 << group.slen) - 1;
    for (int b = group.long_first; b < group.long_end; ++b)
      w.Put(std::min(g.sf_long[b], largest), group.slen);
    for (int b = group.short_first; b < group.short_end; ++b) {
      for (int win = 0; win < 3; ++win) w.Put(std::min(g.sf_short[b][win], largest), group.slen);
    }
  }
}

// ---- Quantised values ----

bool ReadValues(TBitReader& r, const TL3Frame& f, TL3Granule& g, size_t end) {
  const int count = std::min(2 * g.big_values, 576);
  int region1 = 0, region2 = 0;
  RegionStarts(f, g, count, region1, region2);
  for (int i = 0; i < count; i += 2) {
    const int table = g.table_select[i < region1 ? 0 : i < region2 ? 1 : 2];
    if (Capacity(table) < 0) return false;
    int x = 0, y = 0;
    if (table != 0 && !DecodeWord(r, table, x, y)) return false;
    const int linbits = kMPHuffCodeTables[table].linbits;
    g.values[i] = ReadValue(r, x, linbits);
    g.values[i + 1] = ReadValue(r, y, linbits);
  }
  for (int i = count; i + 4 <= 576 && r.Position() < end; i += 4) {
    int vwxy = 0, unused = 0;
    if (!DecodeWord(r, 32 + g.count1table_select, vwxy, unused)) return false;
    for (int k = 0; k < 4; ++k) g.values[i + k] = ReadValue(r, (vwxy >> (3 - k)) & 1, 0);
  }
  return r.Position() == end;
}

// Codes the values: big values up to the last pair holding a value above 1, then quadruples up
// to the last nonzero value. Sets big_values and corrects tables that cannot code their region.
bool WriteValues(TBitWriter& w, const TL3Frame& f, TL3Granule& g) {
  int last = 576;
  while (last > 0 && g.values[last - 1] == 0) --last;
  int count1_start = std::min(576, (last + 1) & ~1);
  while (count1_start >= 4 && std::all_of(g.values + count1_start - 4, g.values + count1_start,
                                          [](int v) { return std::abs(v) <= 1; })) {
    count1_start -= 4;
  }
  g.big_values = count1_start / 2;
  int region1 = 0, region2 = 0;
  RegionStarts(f, g, count1_start, region1, region2);
  const int starts[4] = {0, region1, region2, count1_start};
  const int regions = g.block_type ? 2 : 3;
  for (int k = 0; k < regions; ++k) {
    int largest = 0;
    for (int i = starts[k]; i < starts[k + 1]; ++i)
      largest = std::max(largest, std::abs(g.values[i]));
    g.table_select[k] = TableFor(g.table_select[k], largest);
    if (g.table_select[k] < 0) return false;
  }
  const THuffman& h = Huffman();
  for (int i = 0; i < count1_start; i += 2) {
    const int table = g.table_select[i < region1 ? 0 : i < region2 ? 1 : 2];
    if (table == 0) continue;
    const TMPHuffCodeTable& codes = kMPHuffCodeTables[table];
    const int x = std::min(std::abs(g.values[i]), 15), y = std::min(std::abs(g.values[i + 1]), 15);
    const TCode& c = h.encode[codes.base][x][y];
    w.Put(c.code, c.length);
    WriteValue(w, g.values[i], codes.linbits);
    WriteValue(w, g.values[i + 1], codes.linbits);
  }
  for (int i = count1_start; i < last; i += 4) {
    int vwxy = 0;
    for (int k = 0; k < 4; ++k) vwxy |= (g.values[i + k] != 0) << (3 - k);
    const TCode& c = h.encode[32 + g.count1table_select][vwxy][0];
    w.Put(c.code, c.length);
    for (int k = 0; k < 4; ++k) WriteValue(w, g.values[i + k], 0);
  }
  return true;
}

// ---- Side information ----

int Granules(const TL3Frame& f) { return f.mpeg1 ? 2 : 1; }
int SideBytes(const TL3Frame& f) {
  return f.mpeg1 ? (f.channels == 1 ? 17 : 32) : (f.channels == 1 ? 9 : 17);
}

void ReadSide(TBitReader& r, TL3Frame& f, int& main_data_begin, int part23[2][2]) {
  main_data_begin = static_cast<int>(r.Read(f.mpeg1 ? 9 : 8));
  r.Read(f.mpeg1 ? (f.channels == 1 ? 5 : 3) : (f.channels == 1 ? 1 : 2));
  for (int ch = 0; f.mpeg1 && ch < f.channels; ++ch) f.scfsi[ch] = static_cast<int>(r.Read(4));
  for (int gr = 0; gr < Granules(f); ++gr) {
    for (int ch = 0; ch < f.channels; ++ch) {
      TL3Granule& g = f.granule[gr][ch];
      part23[gr][ch] = static_cast<int>(r.Read(12));
      g.big_values = static_cast<int>(r.Read(9));
      g.global_gain = static_cast<int>(r.Read(8));
      g.scalefac_compress = static_cast<int>(r.Read(f.mpeg1 ? 4 : 9));
      if (r.Read(1)) {
        g.block_type = static_cast<int>(r.Read(2));
        g.mixed = static_cast<int>(r.Read(1));
        for (int k = 0; k < 2; ++k) g.table_select[k] = static_cast<int>(r.Read(5));
        for (int k = 0; k < 3; ++k) g.subblock_gain[k] = static_cast<int>(r.Read(3));
      } else {
        g.block_type = g.mixed = 0;
        for (int k = 0; k < 3; ++k) g.table_select[k] = static_cast<int>(r.Read(5));
        g.region0_count = static_cast<int>(r.Read(4));
        g.region1_count = static_cast<int>(r.Read(3));
      }
      g.preflag = f.mpeg1 ? static_cast<int>(r.Read(1)) : 0;
      g.scalefac_scale = static_cast<int>(r.Read(1));
      g.count1table_select = static_cast<int>(r.Read(1));
    }
  }
}

void WriteSide(TBitWriter& w, const TL3Frame& f, int main_data_begin, const int part23[2][2]) {
  w.Put(main_data_begin, f.mpeg1 ? 9 : 8);
  w.Put(0, f.mpeg1 ? (f.channels == 1 ? 5 : 3) : (f.channels == 1 ? 1 : 2));
  for (int ch = 0; f.mpeg1 && ch < f.channels; ++ch) w.Put(f.scfsi[ch], 4);
  for (int gr = 0; gr < Granules(f); ++gr) {
    for (int ch = 0; ch < f.channels; ++ch) {
      const TL3Granule& g = f.granule[gr][ch];
      w.Put(part23[gr][ch], 12);
      w.Put(g.big_values, 9);
      w.Put(g.global_gain, 8);
      w.Put(g.scalefac_compress, f.mpeg1 ? 4 : 9);
      w.Put(g.block_type != 0, 1);
      if (g.block_type) {
        w.Put(g.block_type, 2);
        w.Put(g.mixed, 1);
        for (int k = 0; k < 2; ++k) w.Put(g.table_select[k], 5);
        for (int k = 0; k < 3; ++k) w.Put(g.subblock_gain[k], 3);
      } else {
        for (int k = 0; k < 3; ++k) w.Put(g.table_select[k], 5);
        w.Put(g.region0_count, 4);
        w.Put(g.region1_count, 3);
      }
      if (f.mpeg1) w.Put(g.preflag, 1);
      w.Put(g.scalefac_scale, 1);
      w.Put(g.count1table_select, 1);
    }
  }
}

// The main data of a frame; false when a granule does not fit its 12-bit length.
bool MainData(TL3Frame& f, TBitWriter& data, int part23[2][2]) {
  for (int gr = 0; gr < Granules(f); ++gr) {
    for (int ch = 0; ch < f.channels; ++ch) {
      TBitWriter w;
      WriteScaleFactors(w, f, gr, ch);
      if (!WriteValues(w, f, f.granule[gr][ch]) || w.Bits() > 4095) return false;
      part23[gr][ch] = static_cast<int>(w.Bits());
      data.Append(w);
    }
  }
  return true;
}

// Lays frames out in the bit reservoir: each frame's main data begins as early as the back
// pointer allows, and the frame takes the smallest bit rate whose main data area holds the rest.
class TMultiplexer {
 public:
  explicit TMultiplexer(std::vector<uint8_t>& out) : out_(out) {}

  bool Add(const TL3Frame& f, const std::vector<uint8_t>& data, const int part23[2][2]) {
    const int spare = static_cast<int>(slots_.size()) - used_;
    const int back = std::min(spare, f.mpeg1 ? 511 : 255);
    const int needed = std::max(0, static_cast<int>(data.size()) - back);
    uint8_t header[4] = {
        f.header[0], static_cast<uint8_t>(f.header[1] | 1), 0,
        static_cast<uint8_t>(f.mode << 6 | f.mode_extension << 4 | (f.header[3] & 15))};
    int length = 0;
    for (int index = 1; index < 15 && length - 4 - SideBytes(f) < needed; ++index) {
      header[2] = static_cast<uint8_t>(index << 4 | (f.header[2] & 0x0C));
      TMPAudioHeader parsed;
      length = MPParseHeader(header, 0, parsed);
    }
    if (length - 4 - SideBytes(f) < needed) return false;
    TBitWriter side;
    WriteSide(side, f, back, part23);
    const size_t frame_start = out_.size();
    out_.insert(out_.end(), header, header + 4);
    out_.insert(out_.end(), side.Bytes().begin(), side.Bytes().end());
    out_.resize(frame_start + length, 0);
    for (size_t p = frame_start + 4 + SideBytes(f); p < out_.size(); ++p) slots_.push_back(p);
    const int start = static_cast<int>(slots_.size()) - length + 4 + SideBytes(f) - back;
    for (size_t i = 0; i < data.size(); ++i) out_[slots_[start + i]] = data[i];
    used_ = start + static_cast<int>(data.size());
    return true;
  }

 private:
  std::vector<uint8_t>& out_;
  std::vector<size_t> slots_;  // Positions of the main data bytes of all frames so far.
  int used_ = 0;               // Slots taken by main data.
};

// Intensity stereo where the reference decoder reads it as this one does: long blocks of
// MPEG-1 and MPEG-2. The reference decoder differs on short and mixed blocks and on MPEG-2.5;
// in MPEG-2 it takes positions coded in 0 bits as valid where this decoder takes them as the
// illegal position, and reads an illegal position in the last band with a scale factor (20)
// otherwise. So MPEG-2 positions get 1 to 5 bits, and band 20 a legal one.
void KeepIntensityComparable(TL3Frame& f, TMutationChoices& c) {
  if (f.mode != 1 || !(f.mode_extension & 1)) return;
  bool comparable = f.rate_index < 6;
  for (int gr = 0; gr < Granules(f); ++gr) comparable &= f.granule[gr][1].block_type != 2;
  if (!comparable) {
    f.mode_extension &= 2;
    return;
  }
  if (f.mpeg1) return;
  TL3Granule& right = f.granule[0][1];
  const int slen[3] = {1 + static_cast<int>(c.Below(4)), 1 + static_cast<int>(c.Below(5)),
                       1 + static_cast<int>(c.Below(5))};
  right.scalefac_compress =
      2 * (36 * slen[0] + 6 * slen[1] + slen[2]) + (right.scalefac_compress & 1);
  right.sf_long[20] = std::min(right.sf_long[20], (1 << slen[2]) - 2);
}

}  // namespace

bool ParseLayer3(const std::vector<uint8_t>& stream, std::vector<TL3Frame>& frames) {
  frames.clear();
  std::vector<uint8_t> reservoir;
  for (size_t pos = 0; pos + 4 <= stream.size();) {
    TMPAudioHeader h;
    const int32_t length = MPParseHeader(&stream[pos], 0, h);
    if (length <= 0 || h.layer_code != 1) return false;
    const size_t total = length + MPPaddingBytes(h);
    if (pos + total > stream.size()) break;
    TL3Frame f;
    std::copy_n(&stream[pos], 4, f.header);
    f.mpeg1 = h.id == 1;
    f.rate_index = (f.mpeg1 ? 0 : h.sync_kind == 2 ? 6 : 3) + h.sampling_frequency;
    f.channels = h.mode == 3 ? 1 : 2;
    f.mode = h.mode;
    f.mode_extension = h.mode == 1 ? h.mode_extension : 0;
    const size_t side_start = pos + 4 + (h.protection_bit ? 0 : 2);
    TBitReader side(&stream[side_start], SideBytes(f));
    int main_data_begin = 0, part23[2][2] = {};
    ReadSide(side, f, main_data_begin, part23);
    const size_t main_start = side_start + SideBytes(f);
    const int begin = static_cast<int>(reservoir.size()) - main_data_begin;
    reservoir.insert(reservoir.end(), stream.begin() + main_start, stream.begin() + pos + total);
    pos += total;
    if (begin < 0) continue;
    size_t bit = 8 * size_t(begin);
    bool ok = true;
    for (int gr = 0; gr < Granules(f) && ok; ++gr) {
      for (int ch = 0; ch < f.channels && ok; ++ch) {
        TBitReader r(reservoir.data(), reservoir.size(), bit);
        const size_t end = bit + part23[gr][ch];
        ReadScaleFactors(r, f, gr, ch);
        ok = ReadValues(r, f, f.granule[gr][ch], end) && !r.Overrun();
        bit = end;
      }
    }
    if (!ok) return false;
    frames.push_back(f);
  }
  return !frames.empty();
}

void MutateLayer3(std::vector<TL3Frame>& frames, TMutationChoices& c) {
  for (TL3Frame& f : frames) {
    if (!c.Chance(60)) continue;
    if (f.channels == 2 && c.Chance(30)) {
      f.mode = static_cast<int>(c.Below(3));
      f.mode_extension = f.mode == 1 ? static_cast<int>(c.Below(4)) : 0;
    }
    for (int gr = 0; gr < Granules(f); ++gr) {
      for (int ch = 0; ch < f.channels; ++ch) {
        TL3Granule& g = f.granule[gr][ch];
        if (c.Chance(25)) {
          const int type = static_cast<int>(c.Below(4));
          if ((type == 2) != (g.block_type == 2)) {
            // The other layout's scale factors were never read: make some up.
            for (int& v : g.sf_long) v = static_cast<int>(c.Below(16));
            for (auto& band : g.sf_short)
              for (int& v : band) v = static_cast<int>(c.Below(16));
          }
          g.block_type = type;
          g.mixed = type != 0 && c.Chance(50);
        }
        if (g.block_type && c.Chance(20)) g.mixed ^= 1;
        // MPEG-2.5 lies outside the standards, and the reference decoder reads the short part
        // of its mixed blocks otherwise: leave them out of the comparison.
        if (f.rate_index >= 6 && g.block_type == 2) g.mixed = 0;
        if (c.Chance(20)) g.global_gain = std::clamp(g.global_gain + int(c.Below(25)) - 16, 0, 255);
        if (c.Chance(20)) g.scalefac_compress = static_cast<int>(c.Below(f.mpeg1 ? 16 : 512));
        if (f.mpeg1 && c.Chance(15)) g.preflag ^= 1;
        if (c.Chance(15)) g.scalefac_scale ^= 1;
        if (c.Chance(20)) g.count1table_select ^= 1;
        for (int& table : g.table_select) {
          if (c.Chance(15)) table = static_cast<int>(c.Below(32));
        }
        if (!g.block_type && c.Chance(20)) {
          g.region0_count = static_cast<int>(c.Below(16));
          g.region1_count = static_cast<int>(c.Below(8));
        }
        for (int& gain : g.subblock_gain) {
          if (c.Chance(10)) gain = static_cast<int>(c.Below(8));
        }
        if (c.Chance(15)) g.sf_long[c.Below(22)] = static_cast<int>(c.Below(16));
        if (c.Chance(15)) g.sf_short[c.Below(13)][c.Below(3)] = static_cast<int>(c.Below(16));
      }
      if (f.mpeg1 && c.Chance(20)) f.scfsi[c.Below(f.channels)] = static_cast<int>(c.Below(16));
      // Joint stereo codes both channels of a granule with one block type.
      if (f.mode == 1 && f.mode_extension) {
        TL3Granule& right = f.granule[gr][1];
        const TL3Granule& left = f.granule[gr][0];
        if ((right.block_type == 2) != (left.block_type == 2)) {
          for (int b = 0; b < 13; ++b) std::copy_n(left.sf_short[b], 3, right.sf_short[b]);
          std::copy_n(left.sf_long, 22, right.sf_long);
        }
        right.block_type = left.block_type;
        right.mixed = left.mixed;
      }
    }
    KeepIntensityComparable(f, c);
    // Scale factor selection needs long blocks in both granules.
    for (int ch = 0; f.mpeg1 && ch < f.channels; ++ch) {
      if (f.granule[0][ch].block_type == 2 || f.granule[1][ch].block_type == 2) f.scfsi[ch] = 0;
    }
  }
}

bool WriteLayer3(const std::vector<TL3Frame>& frames, const std::vector<TL3Frame>& fallback,
                 std::vector<uint8_t>& stream) {
  stream.clear();
  TMultiplexer mux(stream);
  for (size_t i = 0; i < frames.size(); ++i) {
    bool written = false;
    for (const TL3Frame* source : {&frames[i], &fallback[i]}) {
      TL3Frame f = *source;
      TBitWriter data;
      int part23[2][2] = {};
      if (MainData(f, data, part23) && mux.Add(f, data.Bytes(), part23)) {
        written = true;
        break;
      }
    }
    if (!written) return false;
  }
  return true;
}
