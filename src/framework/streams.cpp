#include "framework/streams.h"

#include <algorithm>
#include <cstring>

#include "framework/exception.h"

#ifdef _WIN32
#define nv_fseek fseeko64
#define nv_ftell ftello64
#else
#define nv_fseek fseeko
#define nv_ftell ftello
#endif

NV_DEFINE_CLASS(TStream, TObject)
NV_DEFINE_CLASS(TMemoryStream, TStream)
NV_DEFINE_CLASS(TFileStream, TStream)

int64_t TStream::Size() {
  int64_t here = Seek(0, soCurrent);
  int64_t end = Seek(0, soEnd);
  Seek(here, soBeginning);
  return end;
}

void TStream::ReadBuffer(void* buffer, int64_t count) {
  if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
  if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
  if (count == 0) {
    source.SetPosition(0);
    count = source.Size();
  }
  uint8_t chunk[65536];
  int64_t left = count;
  while (left > 0) {
    int64_t n = std::min<int64_t>(left, sizeof chunk);
    source.ReadBuffer(chunk, n);
    WriteBuffer(chunk, n);
    left -= n;
  }
  return count;
}

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
  if (count <= 0 || pos_ >= Size()) return 0;
  int64_t n = std::min(count, Size() - pos_);
  std::memcpy(buffer, data_.data() + pos_, static_cast<size_t>(n));
  pos_ += n;
  return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
  if (count <= 0) return 0;
  if (pos_ + count > Size()) data_.resize(static_cast<size_t>(pos_ + count));
  std::memcpy(data_.data() + pos_, buffer, static_cast<size_t>(count));
  pos_ += count;
  return count;
}

int64_t TMemoryStream::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? pos_ : Size();
  pos_ = std::max<int64_t>(0, base + offset);
  return pos_;
}

void TMemoryStream::SetSize(int64_t n) {
  data_.resize(static_cast<size_t>(std::max<int64_t>(0, n)));
  if (pos_ > n) pos_ = n;
}

void TMemoryStream::LoadFromStream(TStream& s) {
  s.SetPosition(0);
  int64_t n = s.Size();
  data_.resize(static_cast<size_t>(n));
  s.ReadBuffer(data_.data(), n);
  pos_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& path) {
  data_ = ReadFileBytes(path);
  pos_ = 0;
}

void TMemoryStream::SaveToFile(const std::string& path) const { WriteFileBytes(path, data_); }

TFileStream::TFileStream(const std::string& path, TFileMode mode) : path_(path) {
  const char* how = mode == fmOpenRead ? "rb" : mode == fmCreate ? "w+b" : "r+b";
  file_ = std::fopen(path.c_str(), how);
  if (!file_) {
    if (mode == fmCreate) throw EFCreateError(Format("Cannot create file \"%s\"", path.c_str()));
    throw EFOpenError(Format("Cannot open file \"%s\"", path.c_str()));
  }
}

TFileStream::~TFileStream() {
  if (file_) std::fclose(file_);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
  return count <= 0 ? 0 : static_cast<int64_t>(std::fread(buffer, 1, static_cast<size_t>(count), file_));
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
  return count <= 0 ? 0 : static_cast<int64_t>(std::fwrite(buffer, 1, static_cast<size_t>(count), file_));
}

int64_t TFileStream::Seek(int64_t offset, TSeekOrigin origin) {
  int whence = origin == soBeginning ? SEEK_SET : origin == soCurrent ? SEEK_CUR : SEEK_END;
  if (nv_fseek(file_, offset, whence) != 0) return -1;
  return nv_ftell(file_);
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
  TFileStream f(path, fmOpenRead);
  int64_t n = f.Size();
  std::vector<uint8_t> bytes(static_cast<size_t>(n < 0 ? 0 : n));
  f.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  return bytes;
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  TFileStream f(path, fmCreate);
  f.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
}
