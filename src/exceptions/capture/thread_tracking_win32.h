// Thread tracking: every thread of the process is listed from its start to its end. A TLS
// callback sees each one (std::thread and threads begun inside system DLLs included, which
// import-table hooks on CreateThread would miss); the import-table hooks on CreateThread,
// ResumeThread and ExitThread add what only the creator knows: its handle and the start
// routine.
#pragma once

#include <cstdint>

struct TClassInfo;

// The TLS callback's work, by reason.
void OnProcessAttach();
void OnThreadAttach();
void OnThreadDetach();

// The main thread's record; mainHandle is owned by the reporter (closed at its end).
void AddMainThreadRecord(void* mainHandle);

// The import hooks, and the framework's handler for exceptions that leave a TThread's Execute.
void InstallThreadHooks();
void RemoveThreadHooks();
// Gives the framework's thread-exception handler back, leaving the import hooks.
void RestoreThreadExceptionHandler();

// A framework thread object running on a thread: recorded with its object and class.
void RecordThreadObject(uint32_t threadId, void* object, const TClassInfo* cls);

// Access of the reporter's own thread handles: suspend/resume, get context, query.
constexpr uint32_t kThreadHandleAccess = 0x4A;
