// Guarded access to this process's memory: the readable-memory test that every reader of
// foreign addresses (hooks, stack scans, report dumps) goes through, and the one routine that
// writes into code.
#pragma once

#include <cstddef>

// True when every byte of [address, address + size) lies in committed memory whose protection
// allows reading (guard and no-access pages do not). A range that spans several regions is
// checked region by region. A size of 0 is readable when the address is not null.
bool IsReadableMemory(const void* address, size_t size);

// Writes size bytes into code or read-only data: makes the target writable, copies, restores
// the previous protection and flushes the instruction cache. False when the target cannot be
// made writable (then nothing is written).
bool WriteCode(void* target, const void* bytes, size_t size);

// A procedure address with indirect-jump thunks (FF 25 slot) followed to their target, as
// long as the thunk and its slot are readable.
void* FollowJumpThunks(void* procedure);
