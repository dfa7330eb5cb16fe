#pragma once

#include <cstdint>

// Locks and one-time calls on Win32's own primitives, each working on one word that its user
// initialises statically. They carry the few POSIX thread calls the compiler's run time makes
// in INSTALL.EXE (see posix_thread_calls.cpp): the lock of the exception allocator and of the
// unwinder, the guard of function-local statics, thread-local variables. None of them throws,
// and none changes the thread's last-error value.
namespace kolvar::threads {

// A lock word holds one of the run time's static initialisers (-3..-1) until its first use,
// then the address of a critical section. Every lock is recursive.
inline constexpr std::intptr_t kUnusedLock = -1;

// Takes the lock, waiting while another thread holds it.
void Lock(std::intptr_t* word) noexcept;
// Releases a lock taken by this thread; a lock never taken is left alone.
void Unlock(std::intptr_t* word) noexcept;
// Frees what the lock uses and makes the word unused again.
void DestroyLock(std::intptr_t* word) noexcept;

// Calls fn the first time a word (0 before) is passed; a thread that comes while fn runs waits
// until it has returned. fn must not pass the same word again.
void RunOnce(long* word, void (*fn)()) noexcept;

// Gives up the lock for a moment and takes it again: a wait for a condition whose signal is
// not sent, so callers check their condition again after it returns, as POSIX callers do.
void WaitAMoment(std::intptr_t* lock) noexcept;

}  // namespace kolvar::threads
