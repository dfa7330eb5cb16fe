#include "platform/foreign_call.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/library.h"
#include "platform/system_error.h"
#include "platform/text.h"
#include "win_test_support.h"

namespace kolvar {
namespace {

constexpr unsigned long kAccessViolation = 0xC0000005;
// Exception codes other languages' run-time libraries raise.
constexpr unsigned long kForeignCodes[] = {0x0EEDFADE, 0xE06D7363, 0xE0000001};

class ForeignLibrary : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(library_.loaded()) << "foreign_faults.dll not built"; }
  Library library_{testing::EnvPath(L"KOLVAR_BUILD") + L"\\testlibs\\foreign_faults.dll"};
  using VoidFn = void(__stdcall*)();
  VoidFn fault_ = library_.Find<VoidFn>("Fault");
  void(__stdcall* raise_)(DWORD) = library_.Find<void(__stdcall*)(DWORD)>("RaiseForeign");
  int(__stdcall* twice_)(int) = library_.Find<int(__stdcall*)(int)>("Twice");
};

// The code of the ForeignCallError that `call` ends with; 0 when it ends otherwise.
template <class F>
unsigned long FaultCode(F&& call, std::wstring* message = nullptr) {
  try {
    CallGuarded(L"Apel extern", call);
  } catch (const ForeignCallError& error) {
    if (message)
      *message = error.message();
    return error.code();
  }
  return 0;
}

TEST_F(ForeignLibrary, FaultsAndForeignExceptionsBecomeOurErrorAndTheProcessGoesOn) {
  // Several rounds: a guard that left anything behind would fail the later ones.
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    std::wstring message;
    EXPECT_EQ(FaultCode([&] { fault_(); }, &message), kAccessViolation);
    EXPECT_EQ(message.rfind(L"Apel extern: acces nepermis la memorie 0xC0000005", 0), 0u)
        << WideToUtf8(message);
    for (unsigned long code : kForeignCodes)
      EXPECT_EQ(FaultCode([&] { raise_(code); }), code);
    EXPECT_EQ(CallGuarded(L"Twice", [&] { return twice_(21); }), 42);
  }
}

#if defined(__i386__)
// The head of this thread's exception handler chain.
void* ChainHead() {
  void* head;
  asm volatile("movl %%fs:0, %0" : "=r"(head));
  return head;
}

TEST_F(ForeignLibrary, AFaultUnderTheLibrarysOwnHandlerReachesTheGuardWhenItDeclines) {
  auto fault = library_.Find<VoidFn>("FaultUnderOwnHandler");
  auto calls = library_.Find<int(__stdcall*)(int)>("OwnHandlerCalls");
  ASSERT_TRUE(fault && calls);
  void* head = ChainHead();
  for (int round = 1; round <= 2; ++round) {
    SCOPED_TRACE(round);
    EXPECT_EQ(FaultCode([&] { fault(); }), kAccessViolation);
    EXPECT_EQ(ChainHead(), head) << "the library's record is off the chain again";
    EXPECT_EQ(calls(0), round) << "its handler was asked first";
    EXPECT_EQ(calls(1), round) << "and took part in the unwind";
  }
  EXPECT_EQ(CallGuarded(L"Twice", [&] { return twice_(4); }), 8);
}
#endif

TEST_F(ForeignLibrary, GuardsNest) {
  unsigned long inner = 0;
  int after = CallGuarded(L"outer", [&] {
    inner = FaultCode([&] { fault_(); });
    return twice_(5);
  });
  EXPECT_EQ(inner, kAccessViolation);
  EXPECT_EQ(after, 10);
  // An exception caught by no inner guard reaches the outer one.
  EXPECT_EQ(FaultCode([&] { CallGuarded(L"inner", [&] { return twice_(1); }), fault_(); }),
            kAccessViolation);
}

TEST(CallGuarded, PassesResultsAndOurOwnExceptionsThrough) {
  auto owned = CallGuarded(L"make", [] { return std::make_unique<int>(7); });
  ASSERT_TRUE(owned);
  EXPECT_EQ(*owned, 7);
  int calls = 0;
  CallGuarded(L"void", [&] { ++calls; });
  EXPECT_EQ(calls, 1);
  try {
    CallGuarded(L"throws", []() -> int { throw SystemError(5, L"refuzat"); });
    ADD_FAILURE() << "no exception";
  } catch (const ForeignCallError&) {
    ADD_FAILURE() << "our own exception was taken for a foreign one";
  } catch (const SystemError& error) {
    EXPECT_EQ(error.code(), 5u);
    EXPECT_EQ(error.message(), L"refuzat");
  }
}

// On a processor without SSE the guard never touches the SSE register (its instructions
// fault there) and still puts back the x87 control word; with SSE it puts back both.
TEST(FloatingPointGuard, WithoutSseOnlyTheX87WordIsPutBack) {
  unsigned int sseBefore = 0, sseAfter = 0;
  unsigned short x87Before = 0, x87After = 0;
  asm volatile("stmxcsr %0" : "=m"(sseBefore));
  asm volatile("fnstcw %0" : "=m"(x87Before));
  for (int noSse : {0, 1}) {
    SCOPED_TRACE(noSse ? "no SSE" : "SSE");
    ForceNoSseForTests = noSse;
    CallGuarded(L"Apel extern", [] {
      // Foreign code changing both rounding modes.
      unsigned int sse;
      unsigned short x87;
      asm volatile("stmxcsr %0" : "=m"(sse));
      sse ^= 0x6000;
      asm volatile("ldmxcsr %0" : : "m"(sse));
      asm volatile("fnstcw %0" : "=m"(x87));
      x87 ^= 0x0C00;
      asm volatile("fldcw %0" : : "m"(x87));
    });
    asm volatile("stmxcsr %0" : "=m"(sseAfter));
    asm volatile("fnstcw %0" : "=m"(x87After));
    EXPECT_EQ(x87After, x87Before);
    EXPECT_EQ(sseAfter, noSse ? (sseBefore ^ 0x6000) : sseBefore);
    asm volatile("ldmxcsr %0" : : "m"(sseBefore));
  }
  ForceNoSseForTests = 0;
}

}  // namespace
}  // namespace kolvar
