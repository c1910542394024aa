// Per-thread slots whose value is handed to a function when its thread ends.
// For state that has to outlive C++ thread_local storage at thread exit:
// MinGW-w64's emulated TLS can free a thread_local before its destructor runs.
#pragma once

#include <cstdint>

namespace vexaro::sys {

using ThreadSlot = std::uintptr_t;

// A new slot, null on every thread. When a thread ends with a value in the
// slot, onThreadExit gets that value; it may set the slot again while it runs.
// Threads that never set the slot may also call it, with null (MinGW-w64's
// thread library does), so it must accept null. Slots are never freed.
ThreadSlot NewThreadSlot(void (*onThreadExit)(void*));
void* GetThreadSlot(ThreadSlot slot);
void SetThreadSlot(ThreadSlot slot, void* value);

}  // namespace vexaro::sys
