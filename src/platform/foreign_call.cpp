#include "platform/foreign_call.h"

#include <windows.h>

#include <cstdint>

#include "platform/text.h"

namespace kolvar {

namespace {

std::wstring FaultText(const wchar_t* what, unsigned long code, const void* address) {
  const wchar_t* kind = code == EXCEPTION_ACCESS_VIOLATION ? L"acces nepermis la memorie"
                        : code == EXCEPTION_STACK_OVERFLOW ? L"stiva epuizata"
                                                           : L"exceptie";
  std::wstring text = L": " + std::wstring(kind) + L" 0x" + HexText(code, 8) + L" la adresa 0x" +
                      HexText(reinterpret_cast<std::uintptr_t>(address), 2 * sizeof address);
  return std::wstring(what ? what : L"Biblioteca externa") + text;
}

// Flags of an exception record that is being unwound rather than dispatched.
constexpr DWORD kUnwindFlags = 0x2 | 0x4 | 0x20 | 0x40;

}  // namespace

ForeignCallError::ForeignCallError(const wchar_t* what, unsigned long code, const void* address)
    : Error(FaultText(what, code, address)), code_(code), address_(address) {}

int ForceNoSseForTests = 0;

bool ProcessorHasSse() noexcept {
  // Asked once: Windows XP runs on processors without SSE (Pentium II, K6-2, early Durons),
  // where the SSE register's instructions fault.
  static const bool sse = ::IsProcessorFeaturePresent(PF_XMMI_INSTRUCTIONS_AVAILABLE) != FALSE;
  return sse && !ForceNoSseForTests;
}

FloatingPointState::FloatingPointState() noexcept {
  asm volatile("fnstcw %0" : "=m"(x87Control_));
  hasSse_ = ProcessorHasSse();
  sseControl_ = 0;
  if (hasSse_)
    asm volatile("stmxcsr %0" : "=m"(sseControl_));
}

namespace {
// The settings in force when the outermost guarded call began; depth counts the nesting.
thread_local int g_guardDepth = 0;
thread_local FloatingPointState g_ownState;

// Keeps the program's own settings while guarded calls nest.
class GuardDepth {
 public:
  GuardDepth() noexcept {
    if (g_guardDepth++ == 0)
      g_ownState = FloatingPointState();
  }
  ~GuardDepth() { --g_guardDepth; }
};
}  // namespace

OwnFloatingPointScope::OwnFloatingPointScope() noexcept {
  if (g_guardDepth > 0)
    g_ownState.Restore();
}

void FloatingPointState::Restore() const noexcept {
  // A pending x87 exception would be raised by our next floating-point instruction once it is
  // unmasked again; the status flags of the SSE register go with the settings put back.
  asm volatile("fnclex");
  asm volatile("fldcw %0" : : "m"(x87Control_));
  if (hasSse_)
    asm volatile("ldmxcsr %0" : : "m"(sseControl_));
}

}  // namespace kolvar

#if defined(__x86_64__)

// 64-bit Windows finds exception handlers in the unwind tables, so the guard is a small function
// whose unwind information names a handler of ours. The handler unwinds the frames inside the
// guard and resumes at the guard's end with 1 in RAX, as a compiler's __except block does. The
// fault record's address is kept in the guard's own stack frame, where the handler finds it
// from the establisher frame.
extern "C" int kolvar_guard_trampoline(void (*body)(void*),
                                       void* context,
                                       kolvar::internal::ForeignFault* fault);
extern "C" void kolvar_guard_resume();

asm(R"(
    .text
    .p2align 4
    .globl kolvar_guard_trampoline
    .def kolvar_guard_trampoline; .scl 2; .type 32; .endef
    .seh_proc kolvar_guard_trampoline
kolvar_guard_trampoline:
    subq $40, %rsp
    .seh_stackalloc 40
    .seh_endprologue
    .seh_handler kolvar_guard_handler, @except
    movq %r8, 32(%rsp)
    movq %rcx, %rax
    movq %rdx, %rcx
    callq *%rax
    xorl %eax, %eax
    .globl kolvar_guard_resume
kolvar_guard_resume:
    nop
    addq $40, %rsp
    ret
    .seh_endproc
)");

extern "C" EXCEPTION_DISPOSITION kolvar_guard_handler(EXCEPTION_RECORD* record,
                                                      void* establisherFrame,
                                                      CONTEXT*,
                                                      DISPATCHER_CONTEXT* dispatch) {
  if (record->ExceptionFlags & kolvar::kUnwindFlags)
    return ExceptionContinueSearch;
  auto* fault = *reinterpret_cast<kolvar::internal::ForeignFault**>(
      static_cast<char*>(establisherFrame) + 32);
  fault->code = record->ExceptionCode;
  fault->address = record->ExceptionAddress;
  ::RtlUnwindEx(establisherFrame, reinterpret_cast<void*>(&kolvar_guard_resume), record,
                reinterpret_cast<void*>(1), dispatch->ContextRecord, dispatch->HistoryTable);
  return ExceptionContinueSearch;  // RtlUnwindEx does not return
}

namespace kolvar::internal {

bool RunGuarded(void (*body)(void*), void* context, ForeignFault& fault) noexcept {
  GuardDepth depth;
  FloatingPointState before;
  bool returned = kolvar_guard_trampoline(body, context, &fault) == 0;
  before.Restore();
  return returned;
}

}  // namespace kolvar::internal

#elif defined(__i386__)

// 32-bit Windows keeps a chain of exception registration records on the stack, headed by the
// thread's information block. The guard pushes a record of its own; its handler is asked only
// after the handlers the foreign code registered inside the call declined the exception. It
// unwinds those inner records (running their cleanup) and jumps back into the guard.
// RtlUnwind does not keep EBX, ESI and EDI, so it is called through this wrapper, which does.
// Arguments (cdecl): the registration record to unwind to, the exception record.
extern "C" void kolvar_rtl_unwind(void* frame, EXCEPTION_RECORD* record);
asm(R"(
    .text
    .globl _kolvar_rtl_unwind
_kolvar_rtl_unwind:
    pushl %ebp
    movl %esp, %ebp
    pushl %ebx
    pushl %esi
    pushl %edi
    pushl $0
    pushl 12(%ebp)
    pushl $0
    pushl 8(%ebp)
    call _RtlUnwind@16
    popl %edi
    popl %esi
    popl %ebx
    popl %ebp
    ret
)");

namespace {

struct GuardRecord {
  EXCEPTION_REGISTRATION_RECORD link;  // must come first: the chain points at it
  kolvar::internal::ForeignFault* fault;
  void* jump[5];
};

// The head of the chain is the first word of the thread information block, at FS:0.
EXCEPTION_REGISTRATION_RECORD* ChainHead() {
  EXCEPTION_REGISTRATION_RECORD* head;
  asm volatile("movl %%fs:0, %0" : "=r"(head));
  return head;
}

void SetChainHead(EXCEPTION_REGISTRATION_RECORD* head) {
  asm volatile("movl %0, %%fs:0" : : "r"(head) : "memory");
}

extern "C" EXCEPTION_DISPOSITION __cdecl GuardHandler(EXCEPTION_RECORD* record,
                                                      void* frame,
                                                      CONTEXT*,
                                                      void*) {
  if (record->ExceptionFlags & kolvar::kUnwindFlags)
    return ExceptionContinueSearch;
  auto* guard = static_cast<GuardRecord*>(frame);
  guard->fault->code = record->ExceptionCode;
  guard->fault->address = record->ExceptionAddress;
  kolvar_rtl_unwind(frame, record);
  __builtin_longjmp(guard->jump, 1);
}

}  // namespace

namespace kolvar::internal {

bool RunGuarded(void (*body)(void*), void* context, ForeignFault& fault) noexcept {
  GuardDepth depth;
  FloatingPointState before;
  GuardRecord guard;
  guard.fault = &fault;
  guard.link.Handler = reinterpret_cast<PEXCEPTION_ROUTINE>(&GuardHandler);
  guard.link.Next = ChainHead();
  if (__builtin_setjmp(guard.jump) == 0) {
    SetChainHead(&guard.link);
    body(context);
    SetChainHead(guard.link.Next);
    before.Restore();
    return true;
  }
  SetChainHead(guard.link.Next);
  before.Restore();
  return false;
}

}  // namespace kolvar::internal

#else
#error "foreign calls are guarded on x86 and x86-64 only"
#endif
