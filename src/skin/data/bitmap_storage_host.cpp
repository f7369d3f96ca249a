// Host build: the rows are a plain zeroed heap block.
#include <new>

#include "framework/exception.h"
#include "skin/data/bitmap.h"

namespace nv_skin_detail {
namespace {
class THeapStorage : public TBitmapStorage {
 public:
  explicit THeapStorage(size_t bytes) : bits_(new (std::nothrow) uint8_t[bytes]()) {
    if (!bits_) throw EOutOfMemory(Format("Out of memory for a %zu byte bitmap", bytes));
  }
  uint8_t* Bits() override { return bits_.get(); }
  void* DibHandle() const override { return nullptr; }

 private:
  std::unique_ptr<uint8_t[]> bits_;
};
}  // namespace

std::unique_ptr<TBitmapStorage> AllocateBitmapStorage(int, int, int, size_t bytes) {
  return std::make_unique<THeapStorage>(bytes);
}
}  // namespace nv_skin_detail
