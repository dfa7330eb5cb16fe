#include "platform/thread_primitives.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace kolvar::threads {
namespace {

// Threads that add to a counter without atomics under one lock lose no addition, for every
// static initialiser the run time uses; the lock is taken again by the thread that holds it.
TEST(ThreadPrimitives, ALockExcludesOtherThreadsAndNestsInItsOwn) {
  for (std::intptr_t initial : {std::intptr_t{-1}, std::intptr_t{-2}, std::intptr_t{-3}}) {
    SCOPED_TRACE(initial);
    std::intptr_t word = initial;
    volatile long counter = 0;
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
      threads.emplace_back([&] {
        for (int i = 0; i < 20000; ++i) {
          Lock(&word);
          Lock(&word);
          counter = counter + 1;
          Unlock(&word);
          Unlock(&word);
        }
      });
    }
    for (auto& thread : threads)
      thread.join();
    EXPECT_EQ(counter, 80000);
    DestroyLock(&word);
    EXPECT_EQ(word, kUnusedLock);
    Unlock(&word);  // never taken since: left alone
  }
}

std::atomic<int> g_calls{0};
volatile bool g_finished = false;
void SlowInit() {
  ++g_calls;
  ::Sleep(50);
  g_finished = true;
}

TEST(ThreadPrimitives, RunOnceCallsOnceAndLetsNoOneOnBeforeTheCallEnds) {
  long word = 0;
  std::atomic<int> early{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 6; ++t) {
    threads.emplace_back([&] {
      RunOnce(&word, SlowInit);
      if (!g_finished)
        ++early;
    });
  }
  for (auto& thread : threads)
    thread.join();
  RunOnce(&word, SlowInit);
  EXPECT_EQ(g_calls, 1);
  EXPECT_EQ(early, 0);
}

// The wait gives the lock to another thread meanwhile, and the caller holds it again after.
TEST(ThreadPrimitives, WaitingLetsAnotherThreadTakeTheLock) {
  std::intptr_t word = kUnusedLock;
  volatile bool taken = false;
  Lock(&word);
  std::thread other([&] {
    Lock(&word);
    taken = true;
    Unlock(&word);
  });
  for (int i = 0; i < 2000 && !taken; ++i)
    WaitAMoment(&word);
  EXPECT_TRUE(taken);
  Unlock(&word);
  other.join();
  DestroyLock(&word);
}

// These run in the unwinder and in lazy initialisation, between a failing call and the
// reading of its error.
TEST(ThreadPrimitives, TheThreadsLastErrorStaysAsItWas) {
  std::intptr_t word = kUnusedLock;
  long once = 0;
  ::SetLastError(ERROR_FILE_NOT_FOUND);
  Lock(&word);
  WaitAMoment(&word);
  Unlock(&word);
  RunOnce(&once, [] { ::SetLastError(0); });
  DestroyLock(&word);
  EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
}  // namespace kolvar::threads
