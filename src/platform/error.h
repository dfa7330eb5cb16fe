// Errors carried as exceptions: a message for the user plus, for system failures, the code.
// No <windows.h> here: the pure code throws these too.
#pragma once

#include <exception>
#include <string>

namespace kolvar {

// An error whose text is meant for the user. `what()` gives the text as UTF-8.
class Error : public std::exception {
 public:
  explicit Error(std::wstring message);
  const std::wstring& message() const noexcept { return message_; }
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  std::wstring message_;
  std::string utf8_;
};

// A failed system call: the message is "<context>: <system text>" and `code()` the error number.
class SystemError : public Error {
 public:
  SystemError(unsigned long code, const std::wstring& message) : Error(message), code_(code) {}
  unsigned long code() const noexcept { return code_; }

 private:
  unsigned long code_;
};

}  // namespace kolvar
