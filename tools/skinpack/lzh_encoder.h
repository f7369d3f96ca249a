// LZHUF packer: the counterpart of TLZH. LZSS over a 4,096-byte window (matches of 3 to 60
// bytes found with a binary search tree) with the same adaptive Huffman coding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The LZHUF bit stream of data (without the size prefix).
std::vector<uint8_t> LzhEncode(const uint8_t* data, size_t size);
// A stored skin: 32-bit little-endian unpacked size, then the bit stream.
std::vector<uint8_t> LzhPackStored(const std::vector<uint8_t>& data);
