#include "exceptions/encode/tgz_writer.h"

#include <sys/stat.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>

#include "exceptions/encode/crc32.h"
#include "exceptions/encode/errors.h"
#include "framework/streams.h"

namespace {
// Octal digits right-aligned in `digits` characters, leading zeros shown as blanks (a lone
// zero stays), then a blank: the form the archive's numeric header fields take.
void putOctal(uint8_t* field, int digits, uint64_t value) {
  std::memset(field, ' ', static_cast<size_t>(digits));
  int i = digits - 1;
  do {
    field[i--] = static_cast<uint8_t>('0' + (value & 7));
    value >>= 3;
  } while (value != 0 && i >= 0);
  field[digits] = ' ';
}

void put8(uint8_t* field, uint64_t value) {  // 8-byte fields: 6 characters, blank, zero byte
  putOctal(field, 6, value);
  field[7] = 0;
}

void put12(uint8_t* field, uint64_t value) { putOctal(field, 11, value); }

void putLe32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

constexpr uint64_t kMaxTarSize = 077777777777ull;  // what 11 octal digits can hold
}  // namespace

std::string_view FileNameOf(std::string_view path) {
  size_t slash = path.find_last_of("\\/");
  return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

int64_t FileModifiedUnixTime(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return 0;
  return static_cast<int64_t>(st.st_mtime);
}

TTGZWriter::TTGZWriter(std::string archiveName) : archiveName_(std::move(archiveName)) {}

TTGZWriter::~TTGZWriter() {
  if (finished_) return;
  try {
    Finish();
  } catch (...) {
    // Nothing to report to from a destructor; callers who care call Finish themselves.
  }
}

void TTGZWriter::WriteTarHeader(uint8_t h[512], std::string_view name, uint64_t size, int64_t mtime) {
  if (size > kMaxTarSize) throw ETarError(Format("File too large for the archive: \"%.*s\".", int(name.size()), name.data()));
  std::memset(h, 0, 512);
  std::memcpy(h, name.data(), std::min<size_t>(name.size(), 100));
  put8(h + 100, 0);  // mode
  put8(h + 108, 0);  // owner
  put8(h + 116, 0);  // group
  put12(h + 124, size);
  put12(h + 136, static_cast<uint64_t>(std::clamp<int64_t>(mtime, 0, int64_t(kMaxTarSize))));
  h[156] = '0';
  std::memcpy(h + 257, "ustar   ", 8);
  std::memset(h + 148, ' ', 8);  // the checksum is summed over blanks in its own place
  unsigned sum = 0;
  for (int i = 0; i < 512; ++i) sum += h[i];
  put8(h + 148, sum);
}

void TTGZWriter::AddData(std::string_view name, const void* data, size_t size, int64_t mtime) {
  if (finished_) throw EInvalidOperation("The archive is already finished.");
  uint8_t header[512];
  WriteTarHeader(header, name, size, mtime);
  tar_.insert(tar_.end(), header, header + 512);
  const uint8_t* p = static_cast<const uint8_t*>(data);
  tar_.insert(tar_.end(), p, p + size);
  tar_.resize(tar_.size() + (512 - size % 512) % 512, 0);
}

void TTGZWriter::AddFile(const std::string& path, const std::string& nameInArchive) {
  std::vector<uint8_t> bytes = ReadFileBytes(path);
  std::string_view name = nameInArchive.empty() ? FileNameOf(path) : std::string_view(nameInArchive);
  AddData(name, bytes.data(), bytes.size(), FileModifiedUnixTime(path));
}

std::string TTGZWriter::StoredTarName(std::string_view archiveName) {
  std::string name(FileNameOf(archiveName));
  size_t dot = name.find_last_of('.');
  if (dot != std::string::npos) name.resize(dot);
  return name + ".tar";
}

std::vector<uint8_t> TTGZWriter::GzipWrap(const std::vector<uint8_t>& data, std::string_view storedName) {
  // Deflate, file name present, no time, no extra flags, operating system 0.
  static const uint8_t header[10] = {0x1F, 0x8B, 0x08, 0x08, 0, 0, 0, 0, 0, 0};
  std::vector<uint8_t> out(sizeof header + storedName.size() + 1, 0);
  std::memcpy(out.data(), header, sizeof header);
  if (!storedName.empty()) std::memcpy(out.data() + sizeof header, storedName.data(), storedName.size());

  z_stream z{};
  if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw EOutOfMemory("Out of memory");
  size_t head = out.size();
  out.resize(head + deflateBound(&z, static_cast<uLong>(data.size())));
  z.next_in = const_cast<Bytef*>(data.data());
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = out.data() + head;
  z.avail_out = static_cast<uInt>(out.size() - head);
  int rc = deflate(&z, Z_FINISH);
  size_t produced = z.total_out;
  deflateEnd(&z);
  if (rc != Z_STREAM_END) throw EQuillonEncodeError("Cannot compress the archive.");
  out.resize(head + produced);
  putLe32(out, Crc32(data.data(), data.size()));
  putLe32(out, static_cast<uint32_t>(data.size()));
  return out;
}

void TTGZWriter::Finish() {
  if (finished_) return;
  finished_ = true;  // one attempt: a half-written archive is not written twice
  tar_.resize(tar_.size() + 512, 0);  // one closing zero block
  WriteFileBytes(archiveName_, GzipWrap(tar_, StoredTarName(archiveName_)));
}
