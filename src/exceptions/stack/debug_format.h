// The program's own debug information block: what the build tool writes after linking and the
// reporter reads back when it resolves an address.
//
// Appended to the executable file:
//   block   = u32 block size, u16 format version, f64 link date-time, zlib stream
//   trailer = u32 block size, "QLDB"
// The zlib stream inflates to: u32 n + n bytes (skipped), u32 unit count, then the unit records:
//   name (scrambled, length-prefixed), u32 first line, u32 start (module-relative), u32 code size,
//   u32 size of the line table, line table.
// A line-table record moves the current row by a line delta (>= 1) and an address delta; a record
// that starts a procedure is followed by the procedure's name, "Class.Method" or a bare name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "exceptions/stack/result.h"

namespace debuginfo {

// The format this reader understands and the tool writes: loaded on demand, with the explicit
// escape for large deltas, names scrambled with a single-byte key.
constexpr uint16_t kFormatVersion = 440;
constexpr uint8_t kNameKey = 0xA7;
constexpr char kTrailerMagic[4] = {'Q', 'L', 'D', 'B'};
constexpr size_t kTrailerSize = 8;
constexpr size_t kHeaderSize = 4 + 2 + 8;
constexpr uint32_t kMaxLineDelta = 65536;
constexpr uint32_t kMaxAddressDelta = 65536;
// A name is stored with a one-byte length.
constexpr size_t kMaxNameLength = 255;

// One line-table record as the reader sees it.
struct TLineRecord {
  uint32_t lineDelta = 1;
  uint32_t addressDelta = 1;
  bool procedureStart = false;
};

// Appends the shortest encoding of a record (without its procedure name). Deltas outside
// 1..kMaxLineDelta / 0..kMaxAddressDelta cannot be expressed: returns false and appends nothing.
bool EncodeLineRecord(std::vector<uint8_t>& out, const TLineRecord& record);
// Decodes the record at data[pos]; advances pos. False when the bytes run out.
bool DecodeLineRecord(const uint8_t* data, size_t size, size_t& pos, uint16_t version, TLineRecord& record);

// Names are stored as a length byte and the characters, each xor-ed with the key.
void AppendName(std::vector<uint8_t>& out, const std::string& name);
bool ReadName(const uint8_t* data, size_t size, size_t& pos, std::string& name);

// Whole block with its trailer around an uncompressed stream.
std::vector<uint8_t> BuildBlock(const std::vector<uint8_t>& stream, double linkDateTime);

struct TBlockHeader {
  uint32_t size = 0;  // the block without the trailer
  uint16_t version = 0;
  double linkDateTime = 0;
};
// Where a file's block lies, from its last kTrailerSize bytes; fails when there is none.
struct TBlockPlace {
  uint64_t offset = 0;
  uint32_t size = 0;
};
TResult<TBlockPlace> ParseTrailer(const uint8_t* trailer, uint64_t fileSize);
// The header of a whole block; its compressed payload follows at kHeaderSize.
TResult<TBlockHeader> ParseBlockHeader(const uint8_t* block, size_t size);
// Inflates a payload, refusing anything that would grow past `limit` bytes.
TResult<std::vector<uint8_t>> Inflate(const uint8_t* data, size_t size, size_t limit);

// Seconds since 1970 to the day count since 1899-12-30 that dates are kept in.
double UnixToDateTime(uint32_t seconds);

}  // namespace debuginfo
