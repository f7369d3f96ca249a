// Reads gzip files: the reporter's packed data and anything it unpacks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class TStream;

// The default ceiling on what one file may unpack to; a hostile file cannot make the reporter
// allocate more than this.
constexpr size_t kGzipMaxOutput = 256u << 20;

// Unpacks a single-member gzip file: header (with its optional extra field, name, comment and
// header CRC), raw deflate data, and the trailer whose CRC-32 and length must match what was
// unpacked. Raises EGzipError on anything malformed, truncated, or larger than maxOutput.
std::vector<uint8_t> GzipDecompress(const uint8_t* data, size_t size, size_t maxOutput = kGzipMaxOutput);
// Reads the stream from its current position to its end.
std::vector<uint8_t> GzipDecompress(TStream& source, size_t maxOutput = kGzipMaxOutput);
