#include "exceptions/capture/unwind_info.h"

#include <cstring>

namespace {

enum : uint8_t {
  kAbsPtr = 0x00,
  kUleb128 = 0x01,
  kUdata2 = 0x02,
  kUdata4 = 0x03,
  kUdata8 = 0x04,
  kSleb128 = 0x09,
  kSdata2 = 0x0A,
  kSdata4 = 0x0B,
  kSdata8 = 0x0C,
  kPcRel = 0x10,
  kTextRel = 0x20,
  kDataRel = 0x30,
  kFuncRel = 0x40,
  kAligned = 0x50,
  kIndirect = 0x80,
  kOmit = 0xFF,
};

class Reader {
 public:
  explicit Reader(const uint8_t* p) : p_(p) {}
  const uint8_t* Pos() const { return p_; }
  void Skip(uintptr_t n) { p_ += n; }
  uint8_t Byte() { return *p_++; }
  template <class T>
  T Fixed() {
    T v;
    std::memcpy(&v, p_, sizeof v);
    p_ += sizeof v;
    return v;
  }
  uint64_t Uleb() {
    uint64_t v = 0;
    int shift = 0;
    uint8_t b;
    do {
      b = *p_++;
      if (shift < 64) v |= static_cast<uint64_t>(b & 0x7F) << shift;
      shift += 7;
    } while (b & 0x80);
    return v;
  }
  int64_t Sleb() {
    int64_t v = 0;
    int shift = 0;
    uint8_t b;
    do {
      b = *p_++;
      if (shift < 64) v |= static_cast<int64_t>(b & 0x7F) << shift;
      shift += 7;
    } while (b & 0x80);
    if (shift < 64 && (b & 0x40)) v |= -(static_cast<int64_t>(1) << shift);
    return v;
  }
  const char* String() {
    auto* s = reinterpret_cast<const char*>(p_);
    p_ += std::strlen(s) + 1;
    return s;
  }
  // A pointer in the given encoding; false for an encoding this reader does not know.
  bool Pointer(uint8_t enc, const TEhBases& bases, uintptr_t func, uintptr_t* out) {
    if (enc == kOmit) return false;
    uintptr_t base = 0;
    switch (enc & 0x70) {
      case 0: break;
      case kPcRel: base = reinterpret_cast<uintptr_t>(p_); break;
      case kTextRel: base = bases.text; break;
      case kDataRel: base = bases.data; break;
      case kFuncRel: base = func; break;
      case kAligned: {
        uintptr_t a = reinterpret_cast<uintptr_t>(p_);
        p_ += (sizeof(uintptr_t) - a % sizeof(uintptr_t)) % sizeof(uintptr_t);
        break;
      }
      default: return false;
    }
    uint64_t value;
    switch (enc & 0x0F) {
      case kAbsPtr: value = Fixed<uintptr_t>(); break;
      case kUleb128: value = Uleb(); break;
      case kUdata2: value = Fixed<uint16_t>(); break;
      case kUdata4: value = Fixed<uint32_t>(); break;
      case kUdata8: value = Fixed<uint64_t>(); break;
      case kSleb128: value = static_cast<uint64_t>(Sleb()); break;
      case kSdata2: value = static_cast<uint64_t>(static_cast<int64_t>(Fixed<int16_t>())); break;
      case kSdata4: value = static_cast<uint64_t>(static_cast<int64_t>(Fixed<int32_t>())); break;
      case kSdata8: value = static_cast<uint64_t>(Fixed<int64_t>()); break;
      default: return false;
    }
    uintptr_t result = base + static_cast<uintptr_t>(value);
    if (enc & kIndirect) std::memcpy(&result, reinterpret_cast<const void*>(result), sizeof result);
    *out = result;
    return true;
  }

 private:
  const uint8_t* p_;
};

struct Cie {
  uint8_t fdeEncoding = kAbsPtr;
  uint8_t lsdaEncoding = kOmit;
  bool augmented = false;  // 'z': augmentation data with its length
};

bool ReadCie(const uint8_t* cie, const TEhBases& bases, Cie& out) {
  Reader r(cie);
  if (r.Fixed<uint32_t>() == 0xFFFFFFFFu) return false;  // 64-bit entries are not used here
  if (r.Fixed<uint32_t>() != 0) return false;            // not a common entry
  uint8_t version = r.Byte();
  const char* aug = r.String();
  if (std::strstr(aug, "eh")) r.Skip(sizeof(uintptr_t));
  r.Uleb();  // code alignment
  r.Sleb();  // data alignment
  if (version == 1)
    r.Byte();
  else
    r.Uleb();                             // return address register
  if (aug[0] != 'z') return aug[0] == 0;  // no augmentation: plain defaults
  out.augmented = true;
  r.Uleb();
  for (const char* a = aug + 1; *a; ++a) {
    switch (*a) {
      case 'L': out.lsdaEncoding = r.Byte(); break;
      case 'R': out.fdeEncoding = r.Byte(); break;
      case 'P': {
        uint8_t enc = r.Byte();
        uintptr_t ignored;
        if (!r.Pointer(enc & 0x7F, bases, 0, &ignored)) return false;  // not followed
        break;
      }
      case 'S':
      case 'B': break;
      default: return false;
    }
  }
  return true;
}

// Looks pc up in a GCC call-site table.
bool InCallSite(const uint8_t* lsda, uintptr_t functionStart, uintptr_t pc, const TEhBases& bases) {
  Reader r(lsda);
  uint8_t lpStartEnc = r.Byte();
  uintptr_t ignored;
  if (lpStartEnc != kOmit && !r.Pointer(lpStartEnc, bases, functionStart, &ignored)) return false;
  uint8_t ttypeEnc = r.Byte();
  if (ttypeEnc != kOmit) r.Uleb();
  uint8_t csEnc = r.Byte();
  uint64_t tableLength = r.Uleb();
  const uint8_t* end = r.Pos() + tableLength;
  uintptr_t offset = pc - functionStart;
  while (r.Pos() < end) {
    uintptr_t start, length, landingPad;
    if (!r.Pointer(csEnc, bases, 0, &start) || !r.Pointer(csEnc, bases, 0, &length) ||
        !r.Pointer(csEnc, bases, 0, &landingPad))
      return false;
    r.Uleb();                          // action
    if (offset < start) return false;  // the table is sorted
    if (offset < start + length) return true;
  }
  return false;
}

}  // namespace

TUnwindCoverage ExamineFde(const uint8_t* fde, uintptr_t pc, const TEhBases& bases) {
  TUnwindCoverage out;
  if (!fde) return out;
  Reader r(fde);
  uint32_t length = r.Fixed<uint32_t>();
  if (length == 0 || length == 0xFFFFFFFFu) return out;
  const uint8_t* ciePointerField = r.Pos();
  uint32_t cieOffset = r.Fixed<uint32_t>();
  if (cieOffset == 0) return out;  // this is a common entry, not a description
  Cie cie;
  if (!ReadCie(ciePointerField - cieOffset, bases, cie)) return out;
  uintptr_t start, range;
  if (!r.Pointer(cie.fdeEncoding, bases, 0, &start) || !r.Pointer(cie.fdeEncoding & 0x0F, bases, 0, &range))
    return out;
  out.functionStart = start;
  out.functionEnd = start + range;
  if (pc < start || pc >= start + range) return out;
  out.valid = true;
  if (!cie.augmented) return out;
  uint64_t augLength = r.Uleb();
  if (cie.lsdaEncoding != kOmit && augLength > 0) {
    uintptr_t lsda = 0;
    if (!r.Pointer(cie.lsdaEncoding, bases, start, &lsda)) {
      out.valid = false;
      return out;
    }
    if (lsda) {
      out.hasLsda = true;
      out.inCallSite = InCallSite(reinterpret_cast<const uint8_t*>(lsda), start, pc, bases);
    }
  }
  return out;
}
