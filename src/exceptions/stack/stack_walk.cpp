#include "exceptions/stack/stack_walk.h"

namespace {
constexpr uint32_t kChunk = 400;
constexpr int kMaxThunkHops = 8;

bool named(uint8_t kind) { return kind >= ekExport && kind <= ekDebugInfo; }

uint32_t le32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

class Walk {
 public:
  Walk(TQuillonStackList& list, const TWalkParams& p, TMemoryReader& m, const TQuillonModulesList& mods)
      : list_(list), p_(p), m_(m), mods_(mods) {}

  // False once the maximum is reached: the scan can stop.
  bool add(uint32_t address) {
    TQuillonStackEntry e;
    e.threadId = p_.threadId;
    e.running = p_.running;
    ResolveAddress(address, mods_, p_.useDebugInfo, e);
    if (!(p_.kindMask & (1u << e.kind))) return true;
    ++candidates_;
    if (p_.skip >= 0 && candidates_ <= p_.skip) return true;
    if (p_.maximum >= 0 && stored_ >= p_.maximum) return false;
    list_.push_back(std::move(e));
    ++stored_;
    return p_.maximum < 0 || stored_ < p_.maximum;
  }

  // Examines one candidate return address; false when the maximum is reached.
  bool candidate(uint32_t r) {
    uint8_t b[7];
    if (r < 7 || !m_.Read(r - 7, b, 7)) return true;
    // b[7 - k] is the byte at r - k.
    if (b[2] == 0xE8) {
      if (p_.followThunks) {
        uint32_t target = FollowJumpThunks(m_, r + le32(b + 3));
        uint8_t head[5];
        if (m_.Read(target, head, 5) && head[0] != 0xE8 && !add(target)) return false;
      }
      return add(r - 5);
    }
    if (b[5] == 0xFF &&
        ((b[6] >= 0xD0 && b[6] <= 0xD7) || (b[6] >= 0x10 && b[6] <= 0x13) || b[6] == 0x16 || b[6] == 0x17))
      return add(r - 2);
    if (b[4] == 0xFF && b[5] >= 0x50 && b[5] <= 0x57 && b[5] != 0x54) return add(r - 3);
    if (b[4] == 0xFF && b[5] == 0x14 && b[6] == 0x24) return add(r - 3);
    if (b[3] == 0xFF && b[4] == 0x54 && b[5] == 0x24) return add(r - 4);
    if (b[0] == 0xFF && b[1] == 0x94 && b[2] == 0x24) return add(r - 7);
    if (b[1] == 0xFF && b[2] >= 0x90 && b[2] <= 0x97 && b[2] != 0x94) return add(r - 6);
    if (b[1] == 0xFF && b[2] == 0x15 && m_.IsReadable(le32(b + 3), 4)) return add(r - 6);
    return true;
  }

  void run() {
    if (p_.firstAddress && !add(p_.firstAddress)) return;
    uint32_t start = p_.stackStart, end = p_.stackEnd;
    if (end <= start) return;
    if (end - start > kMaxStackScan) end = start + kMaxStackScan;
    uint32_t checkedUntil = start;
    for (uint32_t a = start; end - a >= 4; a += 4) {
      if (a >= checkedUntil) {
        uint32_t window = end - a < kChunk ? end - a : kChunk;
        if (m_.IsReadable(a, window & ~3u))
          checkedUntil = a + (window & ~3u);
        else if (m_.IsReadable(a, 4))
          checkedUntil = a + 4;
        else
          continue;
      }
      uint32_t word;
      if (!m_.ReadU32(a, word)) {
        checkedUntil = a + 4;  // look again from the next word
        continue;
      }
      if (!candidate(word)) return;
    }
  }

 private:
  TQuillonStackList& list_;
  const TWalkParams& p_;
  TMemoryReader& m_;
  const TQuillonModulesList& mods_;
  int candidates_ = 0, stored_ = 0;
};
}  // namespace

uint8_t ReportKindMask(bool showLibraries, bool showPackages) {
  return static_cast<uint8_t>(1u << ekDebugInfo | (showLibraries ? 1u << ekExport : 0) |
                              (showPackages ? 1u << ekDecorated : 0));
}

uint32_t FollowJumpThunks(TMemoryReader& m, uint32_t address) {
  for (int hop = 0; hop < kMaxThunkHops; ++hop) {
    uint8_t code[8];
    uint32_t target;
    if (!m.Read(address, code, 8) || code[0] != 0xFF || code[1] != 0x25) break;
    if (!m.ReadU32(le32(code + 2), target)) break;
    address = target;
  }
  return address;
}

void ResolveAddress(uint32_t address, const TQuillonModulesList& modules, bool useDebugInfo,
                    TQuillonStackEntry& e) {
  TQuillonModule* module = modules.FindByAddress(address);
  e.module = module;
  e.address = address;
  e.kind = module ? ekModule : ekNone;
  e.unitName.clear(), e.className.clear(), e.procedureName.clear();
  e.line = e.lineOffset = 0;
  if (!module) return;
  if (useDebugInfo && module->debugInfo) {
    if (const TQuillonDebugInfo* info = module->debugInfo->Get()) {
      if (auto loc = info->Find(address - module->handle)) {
        e.kind = ekDebugInfo;
        e.unitName = std::move(loc->unitName);
        e.className = std::move(loc->className);
        e.procedureName = std::move(loc->procedureName);
        e.line = loc->line;
        e.lineOffset = loc->lineOffset;
        return;
      }
    }
  }
  if (const TQuillonFunction* f = module->exports.NearestAtOrBelow(address)) {
    TExportedName n = ParseExportedName(f->name);
    if (n.kind >= ekExport) {
      e.kind = n.kind;
      e.unitName = std::move(n.unitName);
      e.className = std::move(n.className);
      e.procedureName = std::move(n.procedureName);
    }
  }
}

void HideDuplicates(TQuillonStackList& list, size_t firstAdded) {
  if (list.size() < 2) return;
  for (size_t i = list.size() - 1; i-- > firstAdded;) {
    TQuillonStackEntry& e = list[i];
    if (!named(e.kind)) continue;
    int seen = 0;
    for (size_t j = i + 1; j < list.size() && seen < 2; ++j) {
      if (!named(list[j].kind)) continue;
      ++seen;
      if (list[j].module == e.module && list[j].address == e.address) {
        e.kind = ekNone;
        break;
      }
    }
  }
}

void AppendCallStack(TQuillonStackList& list, const TWalkParams& params, TMemoryReader& memory,
                     const TQuillonModulesList& modules) {
  size_t first = list.size();
  Walk(list, params, memory, modules).run();
  HideDuplicates(list, first);
}

TQuillonStackList BuildCallStack(const TWalkParams& params, TMemoryReader& memory,
                                 const TQuillonModulesList& modules) {
  TQuillonStackList list;
  AppendCallStack(list, params, memory, modules);
  return list;
}
