// Layer III Huffman decoding of the big values and the count1 quadruples, through multi-level
// lookup tables built from the standard's code words on first use.
#include <algorithm>
#include <cstring>
#include <vector>

#include "mp3player/compo/decoder/layer3.h"
#include "mp3player/compo/decoder/layer3_huffman.h"
#include "mp3player/compo/decoder/tables_data.h"

namespace {

// Peek widths of the first level per code table (0 for the empty tables; the tables of 16..23
// and of 24..31 share one tree each).
constexpr int32_t kFirstWidth[34] = {0, 3, 6, 6, 0, 8, 7, 6, 8, 6, 8, 8, 7, 6, 0, 8, 8,
                                     8, 8, 8, 8, 8, 8, 8, 9, 9, 9, 9, 9, 9, 9, 9, 6, 0};

std::vector<uint32_t> trees[34];
bool built = false;

// A count1 quadruple vwxy with the four bits after its code: the four values, each nonzero one
// signed by the next of those bits, how many sign bits that took, and how far into the quadruple
// the nonzero values reach (4 when x or y is nonzero, else 2 when v or w is, else 0).
struct TCount1 {
  float value[4];
  int32_t signs;
  int32_t reach;
};
TCount1 count1[16][16];

void BuildCount1() {
  for (uint32_t vwxy = 0; vwxy < 16; ++vwxy) {
    for (uint32_t bits = 0; bits < 16; ++bits) {
      TCount1& q = count1[vwxy][bits];
      q.signs = 0;
      for (int32_t i = 0; i < 4; ++i) {
        q.value[i] = 0;
        if ((vwxy >> (3 - i)) & 1) {
          q.value[i] = ((bits >> (3 - q.signs)) & 1) ? -1.0f : 1.0f;
          ++q.signs;
        }
      }
      q.reach = (vwxy & 3) ? 4 : vwxy ? 2 : 0;
    }
  }
}

uint32_t Leaf(const TMPHuffCode& c, int32_t consumed) {
  const uint32_t count = (c.x != 0) + (c.y != 0);
  return count | (uint32_t{c.x} << 8) | (uint32_t{c.y} << 16) | (uint32_t(consumed) << 24);
}

// Appends a (sub-)table for the codes that begin with the `prefix_length` bits of `prefix` and
// returns its first cell. Cell 0 is the peek width, cell 1 + v the entry for peeked value v.
size_t BuildLevel(std::vector<uint32_t>& cells, const TMPHuffCodeTable& table, uint32_t prefix,
                  int32_t prefix_length, int32_t width) {
  const size_t start = cells.size();
  cells.resize(start + 1 + (size_t{1} << width), 0);
  cells[start] = width;
  const int32_t total = prefix_length + width;
  for (uint32_t v = 0; v < (1u << width); ++v) {
    const uint32_t bits = (prefix << width) | v;
    int32_t longest = 0;
    for (int32_t i = 0; i < table.count; ++i) {
      const TMPHuffCode& c = table.codes[i];
      if (c.length <= prefix_length) continue;
      if (c.length <= total && (bits >> (total - c.length)) == c.code) {
        cells[start + 1 + v] = Leaf(c, c.length - prefix_length);
        longest = 0;
        break;
      }
      if (c.length > total && (c.code >> (c.length - total)) == bits) {
        longest = std::max<int32_t>(longest, c.length - total);
      }
    }
    if (longest > 0) {
      const int32_t sub_width = std::min(longest, kFirstWidth[&table - kMPHuffCodeTables]);
      const size_t sub = BuildLevel(cells, table, bits, total, sub_width);
      cells[start + 1 + v] = static_cast<uint32_t>(sub - start);
    }
  }
  return start;
}

void BuildTrees() {
  for (int32_t t = 0; t < 34; ++t) {
    const TMPHuffCodeTable& table = kMPHuffCodeTables[t];
    if (table.base != t || table.count == 0 || t == 33) continue;
    BuildLevel(trees[t], table, 0, 0, kFirstWidth[t]);
  }
  BuildCount1();
  built = true;
}

// Takes `bits` bits from the window at `used`.
inline uint32_t Take(uint64_t window, int32_t& used, int32_t bits) {
  const uint32_t v = static_cast<uint32_t>((window << used) >> (64 - bits));
  used += bits;
  return v;
}

// Gives a value of magnitude `v` its sign bit when it is nonzero, without branching: zero and
// nonzero values alternate unpredictably.
inline int32_t Signed(int32_t v, uint64_t window, int32_t& used) {
  const int32_t negative = static_cast<int32_t>((window << used) >> 63);
  const int32_t nonzero = v != 0;
  used += nonzero;
  return (v ^ -negative) + negative;  // -v when negative (v = 0 stays 0 either way).
}

// One value of a pair: the linbits extension of 15, then the sign of a nonzero value; the result
// is the value's power v * |v|^(1/3), which the requantisation scales. Values stay within
// +-(15 + 2^13 - 1), the power table's range.
template <bool kLinbits>
inline float Value(int32_t v, int32_t linbits, uint64_t window, int32_t& used) {
  if (kLinbits && v == 15) v += Take(window, used, linbits);
  return MPL3Tables.power[8206 + Signed(v, window, used)];
}

// Decodes pairs into v[from..to) with big-value table `table`. Returns false when the data ran
// past the channel's end. A pair takes at most 47 bits, so one bit window serves it.
template <bool kLinbits>
bool DecodePairsWith(const uint8_t* base, int32_t& pos, int32_t end_pos, float* v, int32_t from,
                     int32_t to, const uint32_t* tree, int32_t linbits) {
  for (int32_t i = from; i < to; i += 2) {
    const uint64_t window = MPBitWindow(base, pos);
    int32_t used = 0;
    const uint32_t* level = tree;
    uint32_t cell;
    for (;;) {
      const int32_t width = static_cast<int32_t>(level[0]);
      cell = level[1 + ((window << used) >> (64 - width))];
      if (cell >> 24) break;
      used += width;
      level += cell;
    }
    used += cell >> 24;
    v[i] = Value<kLinbits>((cell >> 8) & 0xFF, linbits, window, used);
    v[i + 1] = Value<kLinbits>((cell >> 16) & 0xFF, linbits, window, used);
    pos += used;
    if (pos > end_pos) return false;
  }
  return true;
}

bool DecodePairs(const uint8_t* base, int32_t& pos, int32_t end_pos, float* v, int32_t from,
                 int32_t to, int32_t table) {
  const TMPHuffCodeTable& codes = kMPHuffCodeTables[table];
  if (codes.count == 0) {
    std::fill(v + from, v + to, 0.0f);
    return true;
  }
  const uint32_t* tree = trees[codes.base].data();
  // Most tables have no escape: their loop tests for none.
  return codes.linbits ? DecodePairsWith<true>(base, pos, end_pos, v, from, to, tree, codes.linbits)
                       : DecodePairsWith<false>(base, pos, end_pos, v, from, to, tree, 0);
}

}  // namespace

void MPLayer3BuildHuffman() {
  if (!built) BuildTrees();
}

const uint32_t* MPLayer3HuffmanTree(int32_t table) {
  const TMPHuffCodeTable& codes = kMPHuffCodeTables[table];
  return codes.count ? trees[codes.base].data() : nullptr;
}

int32_t MPLayer3Huffman(const uint8_t* base, int32_t pos, int32_t end_pos,
                        const TMPGranuleInfo& gi) {
  const TMPLayer3Stream& st = MPL3.stream;
  float* v = MPL3.values;
  // Long blocks stop at the band limit; short blocks, still in window order, at their clear
  // limit (see SetBandLayout).
  const int32_t limit = gi.block_type == 2 ? st.short_clear : st.band_lines;
  const int32_t count = std::min(2 * gi.big_values, limit);
  const int32_t region1 = std::min(st.long_end[std::min(gi.region0_count, 21)], count);
  const int32_t region2 =
      std::min(st.long_end[std::min(gi.region0_count + gi.region1_count + 1, 21)], count);
  if (!DecodePairs(base, pos, end_pos, v, 0, region1, gi.table_select[0]) ||
      !DecodePairs(base, pos, end_pos, v, region1, region2, gi.table_select[1]) ||
      !DecodePairs(base, pos, end_pos, v, region2, count, gi.table_select[2])) {
    return -1;
  }

  // Count1 quadruples while bits remain.
  const uint32_t* table_a = trees[32].data();
  const int32_t min_bits = gi.count1table_select ? 3 : 0;
  int32_t nonzero = count;
  int32_t previous_nonzero = count;
  int32_t i = count;
  while (i < limit && i + 4 <= 576 && end_pos - pos > min_bits) {
    const uint64_t window = MPBitWindow(base, pos);
    int32_t used = 0;
    uint32_t vwxy;
    if (gi.count1table_select) {
      vwxy = 15 - Take(window, used, 4);
    } else {
      const uint32_t cell = table_a[1 + Take(window, used, 6)];
      used += static_cast<int32_t>(cell >> 24) - 6;
      vwxy = (cell >> 8) & 0xFF;
    }
    // The power of +-1 is +-1.
    const TCount1& q = count1[vwxy & 15][(window << used) >> 60];
    std::memcpy(v + i, q.value, sizeof q.value);
    used += q.signs;
    pos += used;
    previous_nonzero = nonzero;
    if (q.reach) nonzero = i + q.reach;
    i += 4;
  }
  if (end_pos - pos < 0 && i > count) {
    // The last quadruple used bits that were not there.
    i -= 4;
    std::fill(v + i, v + i + 4, 0.0f);
    nonzero = previous_nonzero;
  }
  return nonzero;
}
