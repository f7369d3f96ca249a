// LZHUF decompression (LZSS over a 4,096-byte window with adaptive Huffman coding) for
// packed skins.
#pragma once

#include <cstdint>
#include <memory>

#include "framework/exception.h"
#include "framework/streams.h"
#include "skin/data/lzh_huffman.h"

NV_EXCEPTION(ElzhException, Exception)

class TLZH : public TObject {
  NV_CLASS(TLZH)
 public:
  static constexpr int N = 4096;                      // ring buffer (window) size
  static constexpr int F = TLzhHuffman::F;                  // look-ahead: longest match
  static constexpr int THRESHOLD = TLzhHuffman::THRESHOLD;  // longer matches are coded as matches
  static constexpr int N_CHAR = TLzhHuffman::N_CHAR;        // 314 symbols: bytes and match lengths
  static constexpr int T = TLzhHuffman::T;                  // 627 tree nodes
  static constexpr int R = TLzhHuffman::R;                  // root
  static constexpr unsigned MAX_FREQ = TLzhHuffman::MAX_FREQ;  // rebuild the tree at this root count

  // Largest unpacked size we accept from outside data. Skins are a few hundred kilobytes.
  static constexpr int64_t kMaxUnpackedSize = 64 * 1024 * 1024;
  // A coded bit yields at most 6 bytes (a 60-byte match costs at least 10 bits).
  static constexpr int64_t kMaxBytesPerInputByte = 48;
  // Slack above that bound, so a short or truncated stream still decodes as zero-padded.
  static constexpr int64_t kPaddingAllowance = 64 * 1024;

  TLZH();
  ~TLZH() override;
  TLZH(const TLZH&) = delete;
  TLZH& operator=(const TLZH&) = delete;

  // Reads the bit stream from the input's current position and writes exactly size bytes
  // to the output. A stream that ends early decodes as if padded with zero bytes. Raises
  // ElzhException when size is negative, above kMaxUnpackedSize, or more than the remaining
  // input could hold. Neither stream is owned.
  void Unpack(TStream& input, TStream& output, int64_t size);

 private:
  struct TTables;
  void AllocTables();
  void FreeTables() noexcept;
  void StartHuff();
  void Reconstruct();
  void Update(int c);

  // Decoder state; the bit buffer and its fill count persist across calls to the readers.
  uint16_t getbuf_ = 0;
  uint8_t getlen_ = 0;
  TStream* infile_ = nullptr;
  TStream* outfile_ = nullptr;
  std::unique_ptr<TTables> t_;
};
