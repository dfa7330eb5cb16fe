// The compiler's run time (its C++ library and unwinder, built for POSIX threads) calls a few
// POSIX thread functions: a lock around the exception allocator's reserve and the unwinder's
// table list, one-time initialisation, the guard of function-local statics, and the slots of
// thread-local variables. This file defines exactly those on Win32's primitives, under the
// names the run time looks for, so that INSTALL.EXE does not carry the whole POSIX thread
// library (30 KB) for them. Linked into INSTALL.EXE only; a call the run time makes that is
// not here brings that library back, and the link then fails on the names defined twice.
#include <windows.h>

#include <cerrno>
#include <cstdint>

#include "platform/thread_primitives.h"

namespace threads = kolvar::threads;

extern "C" {

int pthread_mutex_init(std::intptr_t* mutex, const void* /*attributes*/) {
  *mutex = threads::kUnusedLock;
  return 0;
}

int pthread_mutex_destroy(std::intptr_t* mutex) {
  threads::DestroyLock(mutex);
  return 0;
}

int pthread_mutex_lock(std::intptr_t* mutex) {
  threads::Lock(mutex);
  return 0;
}

int pthread_mutex_unlock(std::intptr_t* mutex) {
  threads::Unlock(mutex);
  return 0;
}

int pthread_once(long* once, void (*fn)()) {
  threads::RunOnce(once, fn);
  return 0;
}

// The run time waits on a condition only while another thread runs the initialiser of a
// static it also wants; that thread's broadcast is not needed, as the wait returns by itself
// and the caller looks again.
int pthread_cond_wait(std::intptr_t* /*condition*/, std::intptr_t* mutex) {
  threads::WaitAMoment(mutex);
  return 0;
}

int pthread_cond_broadcast(std::intptr_t* /*condition*/) {
  return 0;
}

// Thread-local variables live in a block per thread, found through one system slot. The
// blocks of threads that end are not freed (the run time's destructor is not called): besides
// its first one the program starts only the program group's short tries at the shell, at most
// two a run, and a block is a few dozen bytes.
int pthread_key_create(unsigned* key, void (* /*destructor*/)(void*)) {
  DWORD index = ::TlsAlloc();
  if (index == TLS_OUT_OF_INDEXES)
    return EAGAIN;
  *key = index;
  return 0;
}

void* pthread_getspecific(unsigned key) {
  DWORD error = ::GetLastError();
  void* value = ::TlsGetValue(key);
  ::SetLastError(error);
  return value;
}

int pthread_setspecific(unsigned key, const void* value) {
  return ::TlsSetValue(key, const_cast<void*>(value)) ? 0 : ENOMEM;
}

}  // extern "C"
