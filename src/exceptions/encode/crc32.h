// CRC-32 as zlib, gzip and PNG compute it (reflected polynomial 0xEDB88320, all-ones start,
// final complement). The tables are our own, built on first use.
#pragma once

#include <cstddef>
#include <cstdint>

// CRC-32 of size bytes. Pass the result of a previous call as `previous` to continue over
// data that arrives in pieces; 0 starts afresh (the CRC of nothing is 0).
uint32_t Crc32(const void* data, size_t size, uint32_t previous = 0);
