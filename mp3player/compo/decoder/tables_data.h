// Constant tables of the MPEG audio standard that the decoder is built from. The values live in
// tables_data.cpp, which tools/gen-tables/gen_tables.py writes from the standard's table files.
#pragma once

#include <cstdint>

// One Huffman code word. For the big-value tables x and y are the decoded pair; for the count1
// tables x holds the four bits vwxy and y is 0. The code is right-aligned in `code`.
struct TMPHuffCode {
  uint8_t x;
  uint8_t y;
  uint8_t length;
  uint32_t code;
};

// A Huffman table as the standard lists it: tables 0..31 are the big-value tables, 32 and 33 the
// count1 tables A and B. Tables that share codes point at the same words (`base` names the table
// whose codes they use); empty tables have no codes.
struct TMPHuffCodeTable {
  const TMPHuffCode* codes;
  int32_t count;
  int32_t linbits;
  int32_t base;
};

extern const TMPHuffCodeTable kMPHuffCodeTables[34];

// The synthesis window in the order the windowing reads it (see synth.cpp). Not const: the
// polarity switch negates it in place.
extern float MPSynthWindowTable[264];

// Layer III scale factor band boundaries for the nine sampling rates (MPEG-1 44.1/48/32 kHz,
// MPEG-2 22.05/24/16 kHz, MPEG-2.5 11.025/12/8 kHz): 23 long then 14 short boundaries.
extern const int16_t kMPBandBoundaries[9][37];
// MPEG-1 slen1 and slen2 by scalefac_compress.
extern const uint8_t kMPSlen[2][16];
extern const uint8_t kMPPretab[22];
// MPEG-2 scale factor counts: [table][long, short, mixed][four groups], short and mixed counts in
// scale factor values (three per band).
extern const uint8_t kMPNrOfSfb[6][3][4];
extern const double kMPAliasCoefficients[8];
