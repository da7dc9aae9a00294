// The decoder's tables against the standard's table files in ../shared/mpeg-audio-tables
// (skipped where that folder is absent), and the Huffman lookup built from them.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "mp3player/compo/decoder/layer3.h"
#include "mp3player/compo/decoder/layer3_huffman.h"
#include "mp3player/compo/decoder/tables_data.h"

namespace {

std::filesystem::path SharedTables() {
  // KORVA_TEST_DATA is <repository>/tests/mp3player/compo/decoder/data.
  return std::filesystem::path(KORVA_TEST_DATA) / "../../../../../../shared/mpeg-audio-tables";
}

std::string ReadText(const std::string& name) {
  std::ifstream in(SharedTables() / name);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

class SharedTablesTest : public testing::Test {
 protected:
  void SetUp() override {
    if (!std::filesystem::exists(SharedTables() / "huffcode")) GTEST_SKIP() << "no shared tables";
  }
};

struct Code {
  int x, y, length;
  std::string bits;
};

TEST_F(SharedTablesTest, HuffmanCodes) {
  std::istringstream in(ReadText("huffcode"));
  std::map<int, std::vector<Code>> codes;
  std::map<int, int> linbits, reference;
  std::string line;
  int table = -1;
  while (std::getline(in, line)) {
    line = line.substr(0, line.find('#'));
    std::istringstream fields(line);
    std::string first;
    if (!(fields >> first)) continue;
    if (first == ".table") {
      int xlen, ylen;
      fields >> table >> xlen >> ylen >> linbits[table];
      reference[table] = table;
    } else if (first == ".reference") {
      fields >> reference[table];
    } else if (first != ".end") {
      std::vector<std::string> rest{first};
      std::string f;
      while (fields >> f) rest.push_back(f);
      if (rest.size() == 4) {
        codes[table].push_back(
            {std::stoi(rest[0]), std::stoi(rest[1]), std::stoi(rest[2]), rest[3]});
      } else if (rest.size() == 3) {
        codes[table].push_back({std::stoi(rest[0]), 0, std::stoi(rest[1]), rest[2]});
      }
    }
  }
  ASSERT_EQ(codes.size(), 17u);  // 0, 4, 14 and the references have no codes of their own.
  for (int t = 0; t < 34; ++t) {
    const TMPHuffCodeTable& mine = kMPHuffCodeTables[t];
    const std::vector<Code>& theirs = codes[reference[t]];
    EXPECT_EQ(mine.linbits, linbits[t]) << t;
    ASSERT_EQ(mine.count, static_cast<int32_t>(theirs.size())) << t;
    for (size_t i = 0; i < theirs.size(); ++i) {
      EXPECT_EQ(mine.codes[i].x, theirs[i].x);
      EXPECT_EQ(mine.codes[i].y, theirs[i].y);
      EXPECT_EQ(mine.codes[i].length, theirs[i].length);
      EXPECT_EQ(mine.codes[i].code, std::stoul(theirs[i].bits, nullptr, 2)) << t << " " << i;
    }
  }
}

TEST_F(SharedTablesTest, SynthesisWindow) {
  const std::string text = ReadText("dewindow");
  std::vector<double> d(512);
  const std::regex entry(R"(D\[\s*(\d+)\]=\s*(-?[0-9.]+))");
  int found = 0;
  for (std::sregex_iterator it(text.begin(), text.end(), entry), end; it != end; ++it, ++found) {
    d[std::stoi((*it)[1])] = std::stod((*it)[2]);
  }
  ASSERT_EQ(found, 512);
  MPSetInvertPolarity(0);
  for (int j = 0; j < 16; ++j) {
    for (int k = 0; k < 16; ++k) EXPECT_FLOAT_EQ(MPSynthWindowTable[16 * j + k], d[j + 32 * k]);
  }
  for (int m = 0; m < 8; ++m) EXPECT_FLOAT_EQ(MPSynthWindowTable[256 + m], -d[48 + 64 * m]);
}

std::vector<int> Numbers(const std::string& text, const std::string& key) {
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) {
    const size_t eq = line.find('=');
    if (eq == std::string::npos || line[0] == '#') continue;
    std::string name = line.substr(0, eq);
    name.erase(name.find_last_not_of(' ') + 1);
    if (name != key) continue;
    std::string values = line.substr(eq + 1, line.find('#') - eq - 1);
    std::replace(values.begin(), values.end(), '|', ' ');
    std::istringstream numbers(values);
    std::vector<int> out;
    for (int n; numbers >> n;) out.push_back(n);
    return out;
  }
  return {};
}

TEST_F(SharedTablesTest, Layer3Data) {
  const std::string text = ReadText("layer3-data.txt");
  const char* const rates[9] = {"mpeg1_44100",   "mpeg1_48000",   "mpeg1_32000",
                                "mpeg2_22050",   "mpeg2_24000",   "mpeg2_16000",
                                "mpeg2_5_11025", "mpeg2_5_12000", "mpeg2_5_8000"};
  // The long and the short tables use the same keys in two sections: long comes first.
  for (int r = 0; r < 9; ++r) {
    const std::string section_long = text.substr(text.find("[scalefactor_band_long]"));
    const std::string section_short = text.substr(text.find("[scalefactor_band_short]"));
    const std::vector<int> longs = Numbers(section_long, rates[r]);
    const std::vector<int> shorts = Numbers(section_short, rates[r]);
    ASSERT_EQ(longs.size(), 23u);
    ASSERT_EQ(shorts.size(), 14u);
    for (int b = 0; b < 23; ++b) EXPECT_EQ(kMPBandBoundaries[r][b], longs[b]) << rates[r];
    for (int b = 0; b < 14; ++b) EXPECT_EQ(kMPBandBoundaries[r][23 + b], shorts[b]) << rates[r];
  }
  const std::vector<int> slen1 = Numbers(text, "slen1"), slen2 = Numbers(text, "slen2");
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(kMPSlen[0][i], slen1[i]);
    EXPECT_EQ(kMPSlen[1][i], slen2[i]);
  }
  const std::vector<int> pretab = Numbers(text, "pretab");
  for (int i = 0; i < 22; ++i) EXPECT_EQ(kMPPretab[i], pretab[i]);
  for (int t = 0; t < 6; ++t) {
    const std::vector<int> counts = Numbers(text, std::to_string(t));
    ASSERT_EQ(counts.size(), 12u);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(kMPNrOfSfb[t][i / 4][i % 4], counts[i]);
  }
  const size_t alias = text.find("c = ", text.find("[alias_coefficients]"));
  std::istringstream c(text.substr(alias + 4));
  for (int i = 0; i < 8; ++i) {
    double value;
    c >> value;
    EXPECT_DOUBLE_EQ(kMPAliasCoefficients[i], value);
  }
}

// Every code word of every table, fed through the lookup table, gives its values and length.
TEST(HuffmanLookup, DecodesEveryCodeWord) {
  MPLayer3BuildHuffman();
  for (int32_t t = 1; t < 33; ++t) {
    const TMPHuffCodeTable& table = kMPHuffCodeTables[t];
    const uint32_t* tree = MPLayer3HuffmanTree(t);
    if (table.count == 0) {
      EXPECT_EQ(tree, nullptr);
      continue;
    }
    ASSERT_NE(tree, nullptr);
    for (int32_t i = 0; i < table.count; ++i) {
      const TMPHuffCode& code = table.codes[i];
      uint8_t bytes[8] = {};
      const uint32_t aligned = code.code << (32 - code.length);
      for (int b = 0; b < 4; ++b) bytes[b] = static_cast<uint8_t>(aligned >> (24 - 8 * b));
      const uint32_t* level = tree;
      int32_t pos = 0;
      uint32_t cell;
      for (;;) {
        cell = level[1 + MPPeekBits(bytes, pos, level[0])];
        if (cell >> 24) break;
        pos += level[0];
        level += cell;
      }
      pos += cell >> 24;
      ASSERT_EQ(pos, code.length) << t << " " << i;
      ASSERT_EQ((cell >> 8) & 0xFF, code.x) << t << " " << i;
      ASSERT_EQ((cell >> 16) & 0xFF, code.y) << t << " " << i;
    }
  }
}

}  // namespace
