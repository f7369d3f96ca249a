// TPerThread<T>: one T for each thread that asks, destroyed when that thread ends.
//
// Why not `thread_local T`: with mingw-w64's emulated thread-local storage, the storage of a
// thread_local object is released at thread exit before the object's destructor runs (both
// hang off thread-exit callbacks in an order nobody controls), so a thread_local with a
// destructor reads and frees freed memory when its thread ends. That showed as a crash when
// the reporter's worker, which paints skinned dialogs, finished. Here the object lives on the
// heap and the system's fibre/thread slot (FLS on Windows, a pthread key elsewhere) calls its
// destructor at thread exit.
//
// Meant for statics: the slot is kept for the life of the process (a destructor that freed
// it would run the objects' destructors at a point of process exit nobody can order). When
// the process ends, the ending thread's object is left to the system (see ProcessEnding).
// Get() raises std::runtime_error only if the system had no slot left when the object was
// made.
#pragma once

#include <new>
#include <stdexcept>

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#endif

#ifdef _WIN32
namespace nv_per_thread_detail {
// True while the process ends. The system then runs the exiting thread's slot callbacks after
// it has stopped every other thread, one of which may have held the heap's lock: freeing
// anything there could wait for ever, and the process's memory and handles go with it anyway.
inline bool ProcessEnding() {
  using TProbe = BOOLEAN(WINAPI*)();
  static const TProbe probe =
      reinterpret_cast<TProbe>(GetProcAddress(GetModuleHandleA("ntdll.dll"), "RtlDllShutdownInProgress"));
  return probe && probe();
}
}  // namespace nv_per_thread_detail
#endif

template <class T>
class TPerThread {
 public:
  TPerThread() {
#ifdef _WIN32
    nv_per_thread_detail::ProcessEnding();  // looked up now, not first at the process's end
    slot_ = FlsAlloc(&Destroy);
    ok_ = slot_ != FLS_OUT_OF_INDEXES;
#else
    ok_ = pthread_key_create(&slot_, &Destroy) == 0;
#endif
  }
  TPerThread(const TPerThread&) = delete;
  TPerThread& operator=(const TPerThread&) = delete;

  // The calling thread's object, made on its first call.
  T& Get() {
    if (!ok_) throw std::runtime_error("No thread-local slot left for per-thread state");
#ifdef _WIN32
    void* p = FlsGetValue(slot_);
#else
    void* p = pthread_getspecific(slot_);
#endif
    if (p) return *static_cast<T*>(p);
    T* made = new T();
#ifdef _WIN32
    const bool kept = FlsSetValue(slot_, made) != FALSE;
#else
    const bool kept = pthread_setspecific(slot_, made) == 0;
#endif
    if (!kept) {
      delete made;
      throw std::bad_alloc();
    }
    return *made;
  }

  // The calling thread's object if it has made one, else null.
  T* Peek() const {
    if (!ok_) return nullptr;
#ifdef _WIN32
    return static_cast<T*>(FlsGetValue(slot_));
#else
    return static_cast<T*>(pthread_getspecific(slot_));
#endif
  }

 private:
#ifdef _WIN32
  static void WINAPI Destroy(void* p) {
    if (!nv_per_thread_detail::ProcessEnding()) delete static_cast<T*>(p);
  }
  DWORD slot_;
#else
  static void Destroy(void* p) { delete static_cast<T*>(p); }
  pthread_key_t slot_;
#endif
  bool ok_;
};
