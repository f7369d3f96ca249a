#include "lzh_encoder.h"

#include <cstring>
#include <memory>
#include <stdexcept>

#include "skin/data/lzh_huffman.h"

namespace {

constexpr int N = 4096, NIL = N;
constexpr int F = TLzhHuffman::F, THRESHOLD = TLzhHuffman::THRESHOLD, T = TLzhHuffman::T, R = TLzhHuffman::R;

class TEncoder {
 public:
  std::vector<uint8_t> Run(const uint8_t* data, size_t size);

 private:
  void EncodeChar(unsigned c);
  void EncodePosition(unsigned c);
  // Search tree over the window.
  void InitTree();
  void InsertNode(int r);
  void DeleteNode(int p);
  void PutBits(int n, uint32_t bits);  // the low n bits, most significant first

  uint8_t text_[N + F - 1];
  int16_t lson_[N + 1], rson_[N + 257], dad_[N + 1];
  int matchPosition_ = 0, matchLength_ = 0;
  TLzhHuffman huff_;  // the same model as the decoder's
  uint8_t pCode_[64], pLen_[64];
  std::vector<uint8_t> out_;
  uint32_t bitBuf_ = 0;
  int bitCount_ = 0;
};

void TEncoder::PutBits(int n, uint32_t bits) {
  for (int i = n - 1; i >= 0; --i) {
    bitBuf_ = (bitBuf_ << 1) | ((bits >> i) & 1);
    if (++bitCount_ == 8) {
      out_.push_back(uint8_t(bitBuf_));
      bitBuf_ = 0;
      bitCount_ = 0;
    }
  }
}

void TEncoder::EncodeChar(unsigned c) {
  // The path from the leaf up to the root, emitted root first. Odd node positions are
  // second children. Trees may grow deeper than 32 levels in theory, so collect in an array.
  uint8_t path[T];
  int len = 0;
  int k = huff_.prnt[c + T];
  do {
    path[len++] = uint8_t(k & 1);
  } while ((k = huff_.prnt[k]) != R);
  while (len > 0) PutBits(1, path[--len]);
  huff_.Update(int(c));
}

void TEncoder::EncodePosition(unsigned c) {
  unsigned i = c >> 6;
  PutBits(pLen_[i], unsigned(pCode_[i]) >> (8 - pLen_[i]));
  PutBits(6, c & 0x3F);
}

void TEncoder::InitTree() {
  for (int i = N + 1; i <= N + 256; ++i) rson_[i] = NIL;
  for (int i = 0; i < N; ++i) dad_[i] = NIL;
}

void TEncoder::InsertNode(int r) {
  int cmp = 1;
  const uint8_t* key = &text_[r];
  int p = N + 1 + key[0];
  rson_[r] = lson_[r] = NIL;
  matchLength_ = 0;
  for (;;) {
    if (cmp >= 0) {
      if (rson_[p] != NIL)
        p = rson_[p];
      else {
        rson_[p] = int16_t(r);
        dad_[r] = int16_t(p);
        return;
      }
    } else {
      if (lson_[p] != NIL)
        p = lson_[p];
      else {
        lson_[p] = int16_t(r);
        dad_[r] = int16_t(p);
        return;
      }
    }
    int i;
    for (i = 1; i < F; ++i)
      if ((cmp = key[i] - text_[p + i]) != 0) break;
    if (i > THRESHOLD) {
      int pos = ((r - p) & (N - 1)) - 1;
      if (i > matchLength_) {
        matchPosition_ = pos;
        if ((matchLength_ = i) >= F) break;
      } else if (i == matchLength_ && pos < matchPosition_) {
        matchPosition_ = pos;
      }
    }
  }
  // A full-length match: r replaces p in the tree.
  dad_[r] = dad_[p];
  lson_[r] = lson_[p];
  rson_[r] = rson_[p];
  dad_[lson_[p]] = int16_t(r);
  dad_[rson_[p]] = int16_t(r);
  if (rson_[dad_[p]] == p)
    rson_[dad_[p]] = int16_t(r);
  else
    lson_[dad_[p]] = int16_t(r);
  dad_[p] = NIL;
}

void TEncoder::DeleteNode(int p) {
  if (dad_[p] == NIL) return;
  int q;
  if (rson_[p] == NIL)
    q = lson_[p];
  else if (lson_[p] == NIL)
    q = rson_[p];
  else {
    q = lson_[p];
    if (rson_[q] != NIL) {
      do q = rson_[q];
      while (rson_[q] != NIL);
      rson_[dad_[q]] = lson_[q];
      dad_[lson_[q]] = dad_[q];
      lson_[q] = lson_[p];
      dad_[lson_[p]] = int16_t(q);
    }
    rson_[q] = rson_[p];
    dad_[rson_[p]] = int16_t(q);
  }
  dad_[q] = dad_[p];
  if (rson_[dad_[p]] == p)
    rson_[dad_[p]] = int16_t(q);
  else
    lson_[dad_[p]] = int16_t(q);
  dad_[p] = NIL;
}

std::vector<uint8_t> TEncoder::Run(const uint8_t* data, size_t size) {
  out_.clear();
  if (size == 0) return out_;
  // Encoding tables: for each upper-six-bit value, the first byte the decoder maps to it.
  for (int n = 255; n >= 0; --n) {
    int code, len;
    if (n < 32)
      code = 0, len = 3;
    else if (n < 80)
      code = (n - 16) >> 4, len = 4;
    else if (n < 144)
      code = (n - 48) >> 3, len = 5;
    else if (n < 192)
      code = (n - 96) >> 2, len = 6;
    else if (n < 240)
      code = (n - 144) >> 1, len = 7;
    else
      code = n - 192, len = 8;
    pCode_[code] = uint8_t(n);
    pLen_[code] = uint8_t(len);
  }
  huff_.Start();
  InitTree();
  size_t in = 0;
  int s = 0, r = N - F;
  std::memset(text_, ' ', size_t(r));
  int len = 0;
  for (; len < F && in < size; ++len) text_[r + len] = data[in++];
  for (int i = 1; i <= F; ++i) InsertNode(r - i);
  InsertNode(r);
  do {
    if (matchLength_ > len) matchLength_ = len;
    if (matchLength_ <= THRESHOLD) {
      matchLength_ = 1;
      EncodeChar(text_[r]);
    } else {
      EncodeChar(unsigned(255 - THRESHOLD + matchLength_));
      EncodePosition(unsigned(matchPosition_));
    }
    int last = matchLength_, i = 0;
    for (; i < last && in < size; ++i) {
      uint8_t c = data[in++];
      DeleteNode(s);
      text_[s] = c;
      if (s < F - 1) text_[s + N] = c;
      s = (s + 1) & (N - 1);
      r = (r + 1) & (N - 1);
      InsertNode(r);
    }
    while (i++ < last) {
      DeleteNode(s);
      s = (s + 1) & (N - 1);
      r = (r + 1) & (N - 1);
      if (--len) InsertNode(r);
    }
  } while (len > 0);
  if (bitCount_) PutBits(8 - bitCount_, 0);
  return std::move(out_);
}

}  // namespace

std::vector<uint8_t> LzhEncode(const uint8_t* data, size_t size) {
  auto enc = std::make_unique<TEncoder>();
  return enc->Run(data, size);
}

std::vector<uint8_t> LzhPackStored(const std::vector<uint8_t>& data) {
  if (data.size() > 0x7FFFFFFF) throw std::length_error("data too large to pack");
  std::vector<uint8_t> out(4);
  uint32_t n = uint32_t(data.size());
  for (int i = 0; i < 4; ++i) out[size_t(i)] = uint8_t(n >> (8 * i));
  std::vector<uint8_t> bits = LzhEncode(data.data(), data.size());
  out.insert(out.end(), bits.begin(), bits.end());
  return out;
}
