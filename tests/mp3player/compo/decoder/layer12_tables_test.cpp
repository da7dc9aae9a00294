#include "mp3player/compo/decoder/layer12_tables.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

// The standard's tables as data, beside the repository (see its README); tests that need them
// are skipped where they are absent.
fs::path SharedTables() {
  return fs::path(KORVA_TEST_DATA) / "../../../../../../shared/mpeg-audio-tables";
}

struct FileRow {
  int steps, bits, group, quant;
};

// Rows of one allocation table file by (subband, allocation value).
std::map<std::pair<int, int>, FileRow> ReadAllocFile(const fs::path& path, int& subbands) {
  std::ifstream in(path);
  std::map<std::pair<int, int>, FileRow> rows;
  in >> subbands;
  int sb, alloc;
  FileRow row;
  while (in >> sb >> alloc >> row.steps >> row.bits >> row.group >> row.quant)
    rows[{sb, alloc}] = row;
  return rows;
}

TEST(Layer12Tables, AllocationTablesMatchTheStandardsFiles) {
  const fs::path folder = SharedTables();
  if (!fs::exists(folder / "alloc_0")) GTEST_SKIP() << "no " << folder;
  for (int t = 0; t < kMPLayer2AllocTableCount; ++t) {
    SCOPED_TRACE("alloc_" + std::to_string(t));
    int subbands = 0;
    const auto rows = ReadAllocFile(folder / ("alloc_" + std::to_string(t)), subbands);
    const TMPLayer2AllocTable& table = *kMPLayer2AllocTables[t];
    ASSERT_EQ(table.subbands, subbands);
    int sb = 0;
    for (int g = 0; g < table.groups; ++g) {
      const TMPLayer2AllocGroup& group = table.group[g];
      for (int i = 0; i < group.count; ++i, ++sb) {
        ASSERT_EQ(rows.at({sb, 0}).bits, group.bits) << "subband " << sb;
        for (int a = 1; a < 16; ++a) {
          const auto row = rows.find({sb, a});
          if (row == rows.end()) {
            EXPECT_EQ(group.classes[a], -1) << "subband " << sb << " allocation " << a;
            continue;
          }
          const int quant = group.classes[a];
          ASSERT_EQ(quant, row->second.quant) << "subband " << sb << " allocation " << a;
          const TMPQuantClass& c = kMPQuantClasses[quant];
          EXPECT_EQ(c.levels, row->second.steps);
          EXPECT_EQ(c.bits, row->second.bits);
          EXPECT_EQ(c.grouped, row->second.group == 1);
        }
      }
    }
    EXPECT_EQ(sb, subbands);
  }
}

TEST(Layer12Tables, AllocationTableChoice) {
  struct Case {
    int id, mode, sampling_frequency, bitrate_index, expected;
  };
  const Case cases[] = {
      {1, 0, 1, 4, matB2c},                         // 48 kHz stereo at 64 kbit/s: 8 subbands
      {1, 0, 2, 4, matB2d},                         // the same at 32 kHz: 12 subbands
      {1, 0, 0, 6, matB2c},                         // 96 kbit/s stereo is 48 per channel
      {1, 1, 0, 8, matB2a},                         // 128 kbit/s joint stereo
      {1, 2, 0, 10, matB2b},                        // 192 kbit/s dual channel at 44.1 kHz
      {1, 0, 1, 14, matB2a},                        // 384 kbit/s at 48 kHz
      {1, 0, 0, 0, matB2b},                         // free format
      {1, 0, 1, 0, matB2a},  {1, 3, 2, 1, matB2d},  // single channel at 32 kbit/s, 32 kHz
      {1, 3, 0, 5, matB2a},                         // single channel at 80 kbit/s
      {1, 3, 1, 10, matB2a},                        // single channel at 192 kbit/s, 48 kHz
      {1, 3, 0, 10, matB2b}, {0, 0, 1, 1, matLsf},  // MPEG-2 always uses its own table
      {0, 3, 1, 14, matLsf}, {1, 3, 0, 11, -1},     // single channel at 224 kbit/s has no table
      {1, 0, 0, 1, -1},                             // 32 kbit/s stereo
      {1, 0, 0, 5, -1},                             // 80 kbit/s stereo
      {1, 0, 0, 15, -1},                            // invalid bit rate index
      {1, 0, 3, 8, -1},                             // reserved sampling frequency
  };
  for (const Case& c : cases)
    EXPECT_EQ(MPLayer2AllocTableFor(c.id, c.mode, c.sampling_frequency, c.bitrate_index),
              c.expected)
        << "id " << c.id << " mode " << c.mode << " fs " << c.sampling_frequency << " index "
        << c.bitrate_index;
}

TEST(Layer12Tables, GroupedCodeWordsSplitIntoCentredDigits) {
  const TMPLayer12Tables& t = MPLayer12Tables();
  // 3 levels: 5 = 2 + 1 * 3 -> digits 2, 1, 0 -> 1, 0, -1.
  EXPECT_EQ(t.group3[5][0], 1.0f);
  EXPECT_EQ(t.group3[5][1], 0.0f);
  EXPECT_EQ(t.group3[5][2], -1.0f);
  // 9 levels: 728 = 8 + 8 * 9 + 8 * 81 -> all +4; 0 -> all -4.
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(t.group9[728][i], 4.0f);
    EXPECT_EQ(t.group9[0][i], -4.0f);
  }
  EXPECT_FLOAT_EQ(t.scale_factor[0], 65536.0f);
  EXPECT_FLOAT_EQ(t.scale_factor[3], 32768.0f);
}

}  // namespace
