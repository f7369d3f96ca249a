#include "framework/subclass_win32.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "framework/exception.h"
#include "framework/guard.h"

struct TWindowSubclass::TLayer {
  HWND wnd;
  bool unicode;
  WNDPROC prev;
  TWndHandler handler;
  uint8_t* thunk;
  TWindowSubclass* owner;
  bool passThrough = false;  // the owner let go while a foreign subclassing sat above
  bool undone = false;       // no longer in the window's chain of procedures
};

namespace {
using TLayer = TWindowSubclass::TLayer;

// Executable thunks, 16 bytes each: "mov ecx, layer; jmp LayerProc". The window procedure
// has no room for our object; the thunk gives every subclassing a procedure of its own.
class ThunkPool {
 public:
  uint8_t* Allocate() {
    std::lock_guard<std::mutex> guard(lock_);
    if (free_.empty()) {
      void* page = VirtualAlloc(nullptr, kPage, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
      if (!page) return nullptr;
      for (size_t i = kPage / kSlot; i-- > 0;) free_.push_back(static_cast<uint8_t*>(page) + i * kSlot);
    }
    uint8_t* slot = free_.back();
    free_.pop_back();
    return slot;
  }
  void Free(uint8_t* slot) {
    std::lock_guard<std::mutex> guard(lock_);
    std::memset(slot, 0xCC, kSlot);  // int3: a stale call stops at once instead of running on
    free_.push_back(slot);
  }

 private:
  static constexpr size_t kPage = 4096, kSlot = 16;
  std::mutex lock_;
  std::vector<uint8_t*> free_;
};
ThunkPool& Pool() {
  static auto* pool = new ThunkPool;  // thunks may be called until the last window goes
  return *pool;
}

// Every layer of ours per window, and how many calls run through them: a layer that has
// gone may still be the previous procedure of a call under way, so layers are freed only
// when no call runs through the window's layers.
struct WindowLayers {
  std::vector<TLayer*> layers;
  int running = 0;
};
std::mutex gLock;
std::unordered_map<HWND, WindowLayers>& Layers() {
  static auto* layers = new std::unordered_map<HWND, WindowLayers>;
  return *layers;
}

WNDPROC CurrentProc(const TLayer* l) {
  return reinterpret_cast<WNDPROC>(l->unicode ? GetWindowLongPtrW(l->wnd, GWLP_WNDPROC)
                                              : GetWindowLongPtrA(l->wnd, GWLP_WNDPROC));
}
void SetProc(const TLayer* l, WNDPROC proc) {
  if (l->unicode)
    SetWindowLongPtrW(l->wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
  else
    SetWindowLongPtrA(l->wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc));
}
WNDPROC ThunkProc(const TLayer* l) { return reinterpret_cast<WNDPROC>(l->thunk); }
LRESULT CallPrev(const TLayer* l, UINT msg, WPARAM wParam, LPARAM lParam) {
  return l->unicode ? CallWindowProcW(l->prev, l->wnd, msg, wParam, lParam)
                    : CallWindowProcA(l->prev, l->wnd, msg, wParam, lParam);
}

// Frees the window's layers that nobody needs any more: their owners let go, they are out of
// the window's chain and no call runs through the window's layers.
void Sweep(HWND wnd) {
  std::vector<TLayer*> gone;
  {
    std::lock_guard<std::mutex> guard(gLock);
    auto it = Layers().find(wnd);
    if (it == Layers().end() || it->second.running > 0) return;
    auto& v = it->second.layers;
    for (TLayer* l : v)
      if (!l->owner && l->undone) gone.push_back(l);
    v.erase(std::remove_if(v.begin(), v.end(), [](TLayer* l) { return !l->owner && l->undone; }), v.end());
    if (v.empty()) Layers().erase(it);
  }
  for (TLayer* l : gone) {
    Pool().Free(l->thunk);
    delete l;
  }
}

void Running(HWND wnd, int delta) {
  std::lock_guard<std::mutex> guard(gLock);
  Layers()[wnd].running += delta;
}

struct NextContext {
  TLayer* layer;
  bool called;
};
void CallNext(void* context, TMessage& m) {
  auto* c = static_cast<NextContext*>(context);
  c->called = true;
  m.Result = CallPrev(c->layer, m.Msg, m.WParam, m.LParam);
}

// Reached through the layer's thunk: the layer arrives in ECX, the window procedure's
// arguments on the stack, which this function pops as a window procedure does.
__attribute__((thiscall)) LRESULT LayerProc(TLayer* l, HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  Running(wnd, +1);
  TMessage m;
  m.Wnd = wnd;
  m.Msg = msg;
  m.WParam = wParam;
  m.LParam = lParam;
  NextContext context{l, false};
  TMessageNext next(&CallNext, &context);
  if (l->owner && !l->passThrough && l->handler) {
    if (!Guard([&] { l->handler(m, next); }) && !context.called) next(m);
  } else {
    next(m);
  }
  // At WM_NCDESTROY, or once the foreign subclassing above a pass-through has gone.
  if (!l->undone && (msg == WM_NCDESTROY || l->passThrough) && CurrentProc(l) == ThunkProc(l)) {
    SetProc(l, l->prev);
    l->undone = true;
  }
  if (msg == WM_NCDESTROY) l->undone = true;
  Running(wnd, -1);
  LRESULT result = m.Result;
  Sweep(wnd);
  return result;
}

void WriteThunk(uint8_t* code, TLayer* l) {
  auto target = reinterpret_cast<uintptr_t>(&LayerProc);
  auto self = reinterpret_cast<uintptr_t>(l);
  int32_t rel = static_cast<int32_t>(target - (reinterpret_cast<uintptr_t>(code) + 10));
  code[0] = 0xB9;  // mov ecx, imm32
  std::memcpy(code + 1, &self, 4);
  code[5] = 0xE9;  // jmp rel32
  std::memcpy(code + 6, &rel, 4);
  FlushInstructionCache(GetCurrentProcess(), code, 10);
}
}  // namespace

TWindowSubclass::TWindowSubclass(HWND wnd, TWndHandler handler) {
  DWORD pid = 0;
  if (!wnd || !GetWindowThreadProcessId(wnd, &pid) || pid != GetCurrentProcessId())
    throw EOSError("Cannot subclass a window that is not one of this process");
  uint8_t* thunk = Pool().Allocate();
  if (!thunk) throw EOutOfResources("Out of memory for a window procedure");
  auto* l = new TLayer{wnd, IsWindowUnicode(wnd) != FALSE, nullptr, std::move(handler), thunk, this};
  WriteThunk(thunk, l);
  {
    std::lock_guard<std::mutex> guard(gLock);
    Layers()[wnd].layers.push_back(l);
  }
  // The previous procedure is taken and replaced in one call, so nothing slips in between.
  SetLastError(0);
  LONG_PTR prev = l->unicode ? SetWindowLongPtrW(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(thunk))
                             : SetWindowLongPtrA(wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(thunk));
  if (!prev) {
    l->owner = nullptr;
    l->undone = true;
    Sweep(wnd);
    throw EOSError(Format("Cannot subclass the window (system error %lu)", GetLastError()));
  }
  l->prev = reinterpret_cast<WNDPROC>(prev);
  layer_ = l;
}

TWindowSubclass::~TWindowSubclass() { Remove(); }

TWindowSubclass::TWindowSubclass(TWindowSubclass&& o) noexcept : layer_(o.layer_) {
  o.layer_ = nullptr;
  if (layer_) layer_->owner = this;
}

TWindowSubclass& TWindowSubclass::operator=(TWindowSubclass&& o) noexcept {
  if (this != &o) {
    Remove();
    layer_ = o.layer_;
    o.layer_ = nullptr;
    if (layer_) layer_->owner = this;
  }
  return *this;
}

void TWindowSubclass::Remove() {
  TLayer* l = layer_;
  if (!l) return;
  layer_ = nullptr;
  l->owner = nullptr;
  if (!l->undone) {
    if (!IsWindow(l->wnd)) {
      l->undone = true;
    } else if (CurrentProc(l) == ThunkProc(l)) {
      SetProc(l, l->prev);
      l->undone = true;
    } else {
      TLayer* above = nullptr;
      {
        std::lock_guard<std::mutex> guard(gLock);
        for (TLayer* other : Layers()[l->wnd].layers)
          if (other != l && !other->undone && other->prev == ThunkProc(l)) above = other;
      }
      if (above) {
        above->prev = l->prev;
        l->undone = true;
      } else {
        l->passThrough = true;
      }
    }
  }
  Sweep(l->wnd);
}

bool TWindowSubclass::Attached() const { return layer_ && !layer_->undone; }
HWND TWindowSubclass::Handle() const { return layer_ ? layer_->wnd : nullptr; }
bool TWindowSubclass::IsUnicode() const { return layer_ && layer_->unicode; }
WNDPROC TWindowSubclass::PreviousProc() const { return layer_ ? layer_->prev : nullptr; }

LRESULT TWindowSubclass::CallPrevious(UINT msg, WPARAM wParam, LPARAM lParam) const {
  return layer_ && layer_->prev ? CallPrev(layer_, msg, wParam, lParam) : 0;
}
