// Calls into libraries that are not ours (the database engine, the upgrade library): a structured
// exception that leaves such a call (an access violation, another language's exception) becomes
// our error instead of ending the process.
#pragma once

#include <exception>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>

#include "platform/error.h"

namespace kolvar {

// A structured exception left a call into a foreign library. The message names the call, the
// exception code and the address it was raised at.
class ForeignCallError : public Error {
 public:
  ForeignCallError(const wchar_t* what, unsigned long code, const void* address);
  // The exception code, e.g. 0xC0000005 for an access violation.
  unsigned long code() const noexcept { return code_; }
  const void* address() const noexcept { return address_; }

 private:
  unsigned long code_;
  const void* address_;
};

// Whether the processor has SSE and its control register (asked of Windows once).
bool ProcessorHasSse() noexcept;
// Non-zero: ProcessorHasSse says no, as on a processor without SSE (tests only).
extern int ForceNoSseForTests;

// The floating-point unit's settings (the x87 control word and, where the processor has SSE,
// the SSE control and status register): which exceptions are masked, the precision and the
// rounding. Foreign code may change them (another language's start-up code unmasks exceptions and
// lowers the precision); every guarded call and every library load puts back what was there before,
// so that our own arithmetic keeps its results and never raises a floating-point exception.
class FloatingPointState {
 public:
  // Takes the current settings.
  FloatingPointState() noexcept;
  // Clears pending x87 exceptions and puts the settings taken back.
  void Restore() const noexcept;

 private:
  unsigned short x87Control_;
  bool hasSse_;
  unsigned int sseControl_;
};

// For a callback that foreign code calls while a guarded call runs: our own floating-point
// settings (those in force when the outermost guarded call began) while the callback runs, the
// foreign code's own again when it returns.
class OwnFloatingPointScope {
 public:
  OwnFloatingPointScope() noexcept;
  ~OwnFloatingPointScope() { theirs_.Restore(); }
  OwnFloatingPointScope(const OwnFloatingPointScope&) = delete;
  OwnFloatingPointScope& operator=(const OwnFloatingPointScope&) = delete;

 private:
  FloatingPointState theirs_;
};

namespace internal {

struct ForeignFault {
  unsigned long code = 0;
  const void* address = nullptr;
};

// Runs `body(context)` under a frame that catches every structured exception the frames inside
// it leave unhandled. True when `body` returned; false, with `fault` filled, when an exception
// was caught: the system unwound the frames inside (calling the unwind handlers they registered)
// and they were abandoned. C++ exceptions must not leave `body`.
bool RunGuarded(void (*body)(void*), void* context, ForeignFault& fault) noexcept;

}  // namespace internal

// Runs `call()` (which calls into a foreign library) and returns its result. Throws
// ForeignCallError naming `what` when a structured exception leaves the call; a C++ exception
// thrown by `call` itself travels on unchanged. Nested guarded calls are fine. The
// floating-point settings are the same after the call as before it, whatever the call did.
// On 32-bit x86 a fault skips the destructors of objects made inside `call`: keep it to the
// foreign call itself.
template <class F>
auto CallGuarded(const wchar_t* what, F&& call) -> decltype(call()) {
  using R = decltype(call());
  static_assert(!std::is_reference_v<R>, "return a value, not a reference");
  using Callable = std::remove_reference_t<F>;
  struct Run {
    Callable* call;
    std::exception_ptr error;
    std::optional<std::conditional_t<std::is_void_v<R>, bool, R>> result;
  } run{&call, nullptr, std::nullopt};
  auto body = [](void* context) {
    Run& r = *static_cast<Run*>(context);
    try {
      if constexpr (std::is_void_v<R>) {
        (*r.call)();
      } else {
        r.result.emplace((*r.call)());
      }
    } catch (...) {
      r.error = std::current_exception();
    }
  };
  internal::ForeignFault fault;
  if (!internal::RunGuarded(body, &run, fault))
    throw ForeignCallError(what, fault.code, fault.address);
  if (run.error)
    std::rethrow_exception(run.error);
  if constexpr (!std::is_void_v<R>)
    return std::move(*run.result);
}

}  // namespace kolvar
