#include "platform/thread_primitives.h"

#include <windows.h>

namespace kolvar::threads {

namespace {

static_assert(sizeof(std::intptr_t) == sizeof(void*));

// The calls below run inside the unwinder and between a failing system call and the reading
// of its error, so the error is put back as it was.
class KeepLastError {
 public:
  KeepLastError() noexcept : error_(::GetLastError()) {}
  ~KeepLastError() { ::SetLastError(error_); }

 private:
  DWORD error_;
};

bool IsSection(std::intptr_t value) noexcept {
  return value > 0;
}

// The word's critical section, made on first use; of two threads that make one at once, the
// first to store it wins and the other frees its own.
CRITICAL_SECTION* SectionOf(std::intptr_t* word) noexcept {
  auto* shared = reinterpret_cast<void* volatile*>(word);
  void* value = *shared;
  if (IsSection(reinterpret_cast<std::intptr_t>(value)))
    return static_cast<CRITICAL_SECTION*>(value);
  auto* made = static_cast<CRITICAL_SECTION*>(
      ::HeapAlloc(::GetProcessHeap(), HEAP_GENERATE_EXCEPTIONS, sizeof(CRITICAL_SECTION)));
  ::InitializeCriticalSection(made);
  void* seen = ::InterlockedCompareExchangePointer(shared, made, value);
  if (seen == value)
    return made;
  ::DeleteCriticalSection(made);
  ::HeapFree(::GetProcessHeap(), 0, made);
  return static_cast<CRITICAL_SECTION*>(seen);
}

}  // namespace

void Lock(std::intptr_t* word) noexcept {
  KeepLastError keep;
  ::EnterCriticalSection(SectionOf(word));
}

void Unlock(std::intptr_t* word) noexcept {
  KeepLastError keep;
  std::intptr_t value = *reinterpret_cast<volatile std::intptr_t*>(word);
  if (IsSection(value))
    ::LeaveCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(value));
}

void DestroyLock(std::intptr_t* word) noexcept {
  KeepLastError keep;
  std::intptr_t value = *word;
  *word = kUnusedLock;
  if (IsSection(value)) {
    ::DeleteCriticalSection(reinterpret_cast<CRITICAL_SECTION*>(value));
    ::HeapFree(::GetProcessHeap(), 0, reinterpret_cast<void*>(value));
  }
}

void RunOnce(long* word, void (*fn)()) noexcept {
  constexpr long kRunning = 1, kDone = 2;
  auto* shared = reinterpret_cast<volatile long*>(word);
  if (*shared == kDone)
    return;
  KeepLastError keep;
  if (::InterlockedCompareExchange(shared, kRunning, 0) == 0) {
    fn();
    ::InterlockedExchange(shared, kDone);
    return;
  }
  // Sleep(0) would not give way to a runner of lower priority.
  while (*shared != kDone)
    ::Sleep(1);
}

void WaitAMoment(std::intptr_t* lock) noexcept {
  KeepLastError keep;
  CRITICAL_SECTION* section = SectionOf(lock);
  ::LeaveCriticalSection(section);
  ::Sleep(1);
  ::EnterCriticalSection(section);
}

}  // namespace kolvar::threads
