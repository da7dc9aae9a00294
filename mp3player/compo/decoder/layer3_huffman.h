// Layer III Huffman lookup tables (layer3_huffman.cpp).
#pragma once

#include <cstdint>

// Builds the lookup tables on first use.
void MPLayer3BuildHuffman();

// The lookup table of big-value table 0..31 or count1 table A (32): cell 0 holds the peek
// width, cell 1 + v the entry for peeked value v, a leaf {nonzero count, x, y, length} (bytes
// from the least significant) or, with length 0, the distance in cells to the next level.
// Null for the empty tables 0, 4, 14 and for table B (33), which is read as 4 inverted bits.
const uint32_t* MPLayer3HuffmanTree(int32_t table);
