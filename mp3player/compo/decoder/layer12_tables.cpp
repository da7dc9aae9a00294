#include "mp3player/compo/decoder/layer12_tables.h"

#include <cmath>

const TMPQuantClass kMPQuantClasses[kMPQuantClassCount] = {
    {3, 5, true},       {5, 7, true},      {7, 3, false},      {9, 10, true},
    {15, 4, false},     {31, 5, false},    {63, 6, false},     {127, 7, false},
    {255, 8, false},    {511, 9, false},   {1023, 10, false},  {2047, 11, false},
    {4095, 12, false},  {8191, 13, false}, {16383, 14, false}, {32767, 15, false},
    {65535, 16, false},
};

namespace {

// Splits code word `code` into its three base-`levels` digits, least significant first, each
// centred on 0. Code words beyond levels^3 only occur in corrupt frames; they still get defined
// values so that no lookup can leave the table.
template <int kEntries>
void BuildGroups(float (&table)[kEntries][3], int levels) {
  for (int code = 0; code < kEntries; ++code) {
    int rest = code;
    for (float& value : table[code]) {
      value = static_cast<float>(rest % levels - (levels - 1) / 2);
      rest /= levels;
    }
  }
}

TMPLayer12Tables BuildTables() {
  TMPLayer12Tables t{};
  for (int i = 0; i < 64; ++i)
    t.scale_factor[i] = static_cast<float>(65536.0 * std::exp2(-i / 3.0));
  for (int c = 0; c < kMPQuantClassCount; ++c)
    t.layer2_step[c] = static_cast<float>(2.0 / kMPQuantClasses[c].levels);
  // Allocation 15 is forbidden; it gets a 16-bit step so that corrupt frames stay defined.
  for (int a = 1; a < 16; ++a) t.layer1_step[a] = static_cast<float>(2.0 / ((1 << (a + 1)) - 1));
  BuildGroups(t.group3, 3);
  BuildGroups(t.group5, 5);
  BuildGroups(t.group9, 9);
  return t;
}

// Bit rate indexes 0..15 of two-channel and single-channel MPEG-1 Layer II streams: which table
// family the total bit rate selects. The per-channel rate decides: up to 48 kbit/s a channel gets
// the narrow tables, up to 80 kbit/s table B.2a, above that table B.2b (B.2a at 48 kHz).
enum TFamily : int8_t { fNone, fNarrow, fMedium, fWide };
constexpr TFamily kStereoFamily[16] = {fWide,   fNone,   fNone,   fNone,   fNarrow, fNone,
                                       fNarrow, fMedium, fMedium, fMedium, fWide,   fWide,
                                       fWide,   fWide,   fWide,   fNone};
constexpr TFamily kMonoFamily[16] = {fWide, fNarrow, fNarrow, fMedium, fMedium, fMedium,
                                     fWide, fWide,   fWide,   fWide,   fWide,   fNone,
                                     fNone, fNone,   fNone,   fNone};

}  // namespace

const TMPLayer12Tables& MPLayer12Tables() {
  static const TMPLayer12Tables tables = BuildTables();
  return tables;
}

int MPLayer2AllocTableFor(int id, int mode, int sampling_frequency, int bitrate_index) {
  if (sampling_frequency < 0 || sampling_frequency > 2 || bitrate_index < 0 || bitrate_index > 15)
    return -1;
  if (id == 0) return bitrate_index == 15 ? -1 : matLsf;
  const bool is48k = sampling_frequency == 1, is32k = sampling_frequency == 2;
  switch ((mode == 3 ? kMonoFamily : kStereoFamily)[bitrate_index]) {
    case fNarrow:
      return is32k ? matB2d : matB2c;
    case fMedium:
      return matB2a;
    case fWide:
      return is48k ? matB2a : matB2b;
    case fNone:
      break;
  }
  return -1;
}
