// Tables of Layer I and Layer II decoding: quantisation classes, steps, scale factors, the
// ungrouping of three-sample code words and the Layer II bit allocation tables.
#pragma once

#include <cstdint>

// Layer II quantisation classes 0..16 (3, 5, 7, 9, 15, 31, ... 65535 levels).
inline constexpr int kMPQuantClassCount = 17;

struct TMPQuantClass {
  int32_t levels;  // Quantisation levels, always odd.
  int8_t bits;     // Bits of one code word: three samples' worth when grouped.
  bool grouped;    // Three samples share one code word (3, 5 and 9 levels).
};

extern const TMPQuantClass kMPQuantClasses[kMPQuantClassCount];

// Consecutive subbands that share the width of their allocation field and the classes that the
// allocation values stand for.
struct TMPLayer2AllocGroup {
  uint8_t count;       // Subbands in the group.
  uint8_t bits;        // Width of each subband's allocation field.
  int8_t classes[16];  // Class by allocation value; -1 for value 0 and unused values.
};

struct TMPLayer2AllocTable {
  int subbands;  // Subbands in the stream: sum of the group counts.
  int groups;
  TMPLayer2AllocGroup group[4];
};

// The standard's Layer II allocation tables, in this order.
enum TMPAllocTableId { matB2a, matB2b, matB2c, matB2d, matLsf, kMPLayer2AllocTableCount };

extern const TMPLayer2AllocTable* const kMPLayer2AllocTables[kMPLayer2AllocTableCount];

// The allocation table of a Layer II stream, or -1 when the standard defines none for the
// combination (reserved sampling frequency, or a bit rate that the mode does not allow).
// `mode` 3 is single channel; `bitrate_index` 0 is free format.
int MPLayer2AllocTableFor(int id, int mode, int sampling_frequency, int bitrate_index);

// Tables computed once per process on first use.
struct TMPLayer12Tables {
  float scale_factor[64];  // 65536 * 2^(-i/3): the standard's factors at 16-bit PCM scale.
  float layer2_step[kMPQuantClassCount];  // 2 / levels.
  float layer1_step[16];  // For allocation a (a + 1 bits): 2 / (2^(a+1) - 1); 0 unused.
  float group3[32][3];    // Code word -> three centred values, 3 levels.
  float group5[128][3];   // The same for 5 levels.
  float group9[1024][3];  // The same for 9 levels.
};

const TMPLayer12Tables& MPLayer12Tables();
