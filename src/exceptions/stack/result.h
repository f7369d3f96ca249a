// A value or the reason there is none. Binary parsers of the reporter return these instead of
// throwing: they also run on the crash path, where an exception of their own would be a second
// fault.
#pragma once

#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

template <class T>
class TResult {
 public:
  static TResult Ok(T value) {
    TResult r;
    r.value_ = std::move(value);
    return r;
  }
  static TResult Fail(std::string error) {
    TResult r;
    r.error_ = std::move(error);
    return r;
  }
  bool Ok() const { return value_.has_value(); }
  explicit operator bool() const { return Ok(); }
  const T& Value() const { return *value_; }
  T& Value() { return *value_; }
  T Take() { return std::move(*value_); }
  const std::string& Error() const { return error_; }

 private:
  TResult() = default;
  std::optional<T> value_;
  std::string error_;
};

// Little-endian reads from a byte span that never run past its end.
class TByteCursor {
 public:
  TByteCursor(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  size_t Pos() const { return pos_; }
  size_t Size() const { return size_; }
  size_t Left() const { return size_ - pos_; }
  bool Seek(size_t pos) {
    if (pos > size_) return false;
    pos_ = pos;
    return true;
  }
  bool Skip(size_t n) {
    if (n > Left()) return false;
    pos_ += n;
    return true;
  }
  bool U8(uint8_t& v) {
    if (Left() < 1) return false;
    v = data_[pos_++];
    return true;
  }
  bool U16(uint16_t& v) {
    if (Left() < 2) return false;
    v = static_cast<uint16_t>(data_[pos_] | data_[pos_ + 1] << 8);
    pos_ += 2;
    return true;
  }
  bool U32(uint32_t& v) {
    if (Left() < 4) return false;
    v = static_cast<uint32_t>(data_[pos_]) | static_cast<uint32_t>(data_[pos_ + 1]) << 8 |
        static_cast<uint32_t>(data_[pos_ + 2]) << 16 | static_cast<uint32_t>(data_[pos_ + 3]) << 24;
    pos_ += 4;
    return true;
  }
  bool U64(uint64_t& v) {
    uint32_t lo, hi;
    if (Left() < 8) return false;
    U32(lo);
    U32(hi);
    v = static_cast<uint64_t>(hi) << 32 | lo;
    return true;
  }
  bool Bytes(void* out, size_t n);
  const uint8_t* Here() const { return data_ + pos_; }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

inline bool TByteCursor::Bytes(void* out, size_t n) {
  if (n > Left()) return false;
  if (n) std::memcpy(out, data_ + pos_, n);
  pos_ += n;
  return true;
}
