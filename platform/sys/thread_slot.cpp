// Thread slots on POSIX thread-specific data, which both systems' thread
// libraries have (MinGW-w64 of the posix thread model brings winpthreads).
#include "platform/sys/thread_slot.h"

#include <pthread.h>

namespace vexaro::sys {

ThreadSlot NewThreadSlot(void (*onThreadExit)(void*)) {
  pthread_key_t key;
  pthread_key_create(&key, onThreadExit);
  return static_cast<ThreadSlot>(key);
}

void* GetThreadSlot(ThreadSlot slot) {
  return pthread_getspecific(static_cast<pthread_key_t>(slot));
}

void SetThreadSlot(ThreadSlot slot, void* value) {
  pthread_setspecific(static_cast<pthread_key_t>(slot), value);
}

}  // namespace vexaro::sys
