#include "skin/data/lzh.h"

#include <cstring>
#include <new>
#include <type_traits>

NV_DEFINE_CLASS(TLZH, TObject)
NV_DEFINE_CLASS(ElzhException, Exception)

namespace {

// Position tables of the decoder, indexed by the first byte of a coded position: the upper
// six bits of the position, and the total bit count of its code (of which 8 are that byte).
struct TPositionTables {
  uint8_t code[256];
  uint8_t len[256];
  constexpr TPositionTables() : code(), len() {
    for (int n = 0; n < 256; ++n) {
      if (n < 32)
        code[n] = 0, len[n] = 3;
      else if (n < 80)
        code[n] = uint8_t((n - 16) >> 4), len[n] = 4;
      else if (n < 144)
        code[n] = uint8_t((n - 48) >> 3), len[n] = 5;
      else if (n < 192)
        code[n] = uint8_t((n - 96) >> 2), len[n] = 6;
      else if (n < 240)
        code[n] = uint8_t((n - 144) >> 1), len[n] = 7;
      else
        code[n] = uint8_t(n - 192), len[n] = 8;
    }
  }
};
constexpr TPositionTables kPos;
static_assert(kPos.code[255] == 0x3F && kPos.len[255] == 8 && kPos.code[80] == 4 && kPos.len[80] == 5 &&
              kPos.code[192] == 0x18 && kPos.len[191] == 6);

// Input read one byte per call, served from a block so the stream is not called per byte.
class TByteSource {
 public:
  explicit TByteSource(TStream& s) : s_(s) {}
  int Get() {
    if (pos_ == end_) {
      if (eof_) return 0;
      end_ = int(s_.Read(buf_, sizeof buf_));
      pos_ = 0;
      if (end_ <= 0) {
        end_ = 0;
        eof_ = true;
        return 0;  // past the end the stream reads as zero bytes
      }
    }
    return buf_[pos_++];
  }
  bool AtEnd() const { return eof_; }
  // Hands the block's unread bytes and `more` already taken back to the input.
  void Unread(int more) {
    int64_t back = int64_t(end_ - pos_) + more;
    if (back > 0) s_.Seek(-back, soCurrent);
    pos_ = end_;
  }

 private:
  TStream& s_;
  uint8_t buf_[4096];
  int pos_ = 0, end_ = 0;
  bool eof_ = false;
};

// Output gathered in blocks and written through the stream.
class TByteSink {
 public:
  explicit TByteSink(TStream& s) : s_(s) {}
  void Write(int n) {
    if (n) s_.WriteBuffer(buf_, n);
  }
  uint8_t* buf() { return buf_; }
  static constexpr int kSize = 1 << 16;

 private:
  TStream& s_;
  uint8_t buf_[kSize];
};

}  // namespace

struct TLZH::TTables {
  uint8_t text_buf[N + F - 1];  // 4,155 bytes
  TLzhHuffman huff;
  // The packer's search trees. Unpacking never touches them; kept so the tables have one
  // layout for both directions.
  int16_t lson[N + 1];
  int16_t rson[N + 257];
  int16_t dad[N + 1];
};

TLZH::TLZH() = default;
TLZH::~TLZH() { FreeTables(); }

void TLZH::AllocTables() {
  t_.reset(new (std::nothrow) TTables);
  if (!t_) throw ElzhException("LZH : Cannot get memory for dictionary tables");
}

void TLZH::FreeTables() noexcept { t_.reset(); }

void TLZH::StartHuff() { t_->huff.Start(); }
void TLZH::Reconstruct() { t_->huff.Reconstruct(); }
void TLZH::Update(int c) { t_->huff.Update(c); }

void TLZH::Unpack(TStream& input, TStream& output, int64_t size) {
  if (size < 0) throw ElzhException(Format("LZH : Invalid unpacked size %lld", (long long)size));
  if (size == 0) return;
  if (size > kMaxUnpackedSize)
    throw ElzhException(Format("LZH : Unpacked size %lld exceeds the limit of %lld bytes", (long long)size,
                               (long long)kMaxUnpackedSize));
  int64_t remaining = input.Size() - input.Position();
  if (remaining < 0) remaining = 0;
  if (size > remaining * kMaxBytesPerInputByte + kPaddingAllowance)
    throw ElzhException(Format("LZH : Unpacked size %lld is impossible for %lld packed bytes",
                               (long long)size, (long long)remaining));

  AllocTables();
  infile_ = &input;
  outfile_ = &output;
  struct TRelease {
    TLZH* self;
    ~TRelease() {
      self->FreeTables();
      self->infile_ = self->outfile_ = nullptr;
    }
  } release{this};

  StartHuff();
  uint8_t* text = t_->text_buf;
  std::memset(text, ' ', N - F);
  TLzhHuffman& huff = t_->huff;
  const int16_t* son = huff.son;

  TByteSource in(input);
  auto sink = std::make_unique<TByteSink>(output);
  uint8_t* const outStart = sink->buf();
  uint8_t* out = outStart;  // kept in a register: a byte store could alias a counter in memory

  // Bits are taken most significant first, one input byte per refill call. The local buffer
  // is wider than the 16 bits the stream format needs so that a whole symbol (and its
  // position) can be decoded between refills; the decoded result is the same.
  // A register's width of bits: 64 on 64-bit hosts, 32 in the i686 build.
  using TBits = std::conditional_t<sizeof(void*) >= 8, uint64_t, uint32_t>;
  constexpr int kWidth = int(sizeof(TBits) * 8);
  constexpr int kLow = kWidth == 64 ? 40 : 16;  // refill below this before each symbol
  TBits bits = 0;                               // next bit at the top
  int nbits = 0;
  int padded = 0;  // zero bytes supplied past the end of the input
  auto refill = [&] {
    while (nbits <= kWidth - 8) {
      int b = in.Get();
      if (in.AtEnd()) ++padded;
      bits |= TBits(b) << (kWidth - 8 - nbits);
      nbits += 8;
    }
  };

  unsigned r = N - F;
  int64_t count = 0;
  while (count < size) {
    if (__builtin_expect(nbits < kLow, 0)) refill();
    unsigned c = unsigned(son[R]);
    while (c < unsigned(T)) {
      if (__builtin_expect(nbits == 0, 0)) refill();  // only for trees deeper than the buffer
      c = unsigned(son[c + unsigned(bits >> (kWidth - 1))]);
      bits <<= 1;
      --nbits;
    }
    c -= T;
    huff.Update(int(c));
    if (c < 256) {
      *out++ = uint8_t(c);
      text[r] = uint8_t(c);
      r = (r + 1) & (N - 1);
      ++count;
    } else {
      if (nbits < 16) refill();
      unsigned pb = unsigned(bits >> (kWidth - 8));
      bits <<= 8;
      nbits -= 8;
      unsigned pos = unsigned(kPos.code[pb]) << 6;
      int extra = kPos.len[pb] - 2;
      pb = (pb << extra) | unsigned(bits >> (kWidth - extra));
      bits <<= extra;
      nbits -= extra;
      pos |= pb & 0x3F;
      unsigned i = (r - pos - 1) & (N - 1);
      int64_t len = int64_t(c) - 255 + THRESHOLD;
      if (len > size - count) len = size - count;
      unsigned n = unsigned(len);
      if (i + n <= N && r + n <= N && ((r - i) & (N - 1)) >= n) {
        // Neither range wraps and the match does not overlap the bytes it writes.
        const uint8_t* src = text + i;
        uint8_t* dst = text + r;
        for (unsigned k = 0; k < n; ++k) out[k] = dst[k] = src[k];
        out += n;
        r = (r + n) & (N - 1);
      } else {
        for (unsigned k = 0; k < n; ++k) {
          uint8_t b = text[(i + k) & (N - 1)];
          *out++ = b;
          text[r] = b;
          r = (r + 1) & (N - 1);
        }
      }
      count += len;
    }
    if (out - outStart > TByteSink::kSize - F) {
      sink->Write(int(out - outStart));
      out = outStart;
    }
  }
  sink->Write(int(out - outStart));
  // Keep the stream's view of the state: 16 bits at most, and the whole unread bytes go
  // back to the input so that it ends where the bit stream did.
  int unreadBytes = nbits / 8 - padded;
  if (unreadBytes < 0) unreadBytes = 0;
  getbuf_ = uint16_t(bits >> (kWidth - 16));
  getlen_ = uint8_t(nbits % 8 + (nbits >= 8 ? 8 : 0));
  in.Unread(unreadBytes);
}
