// The errors the standard library raises from inside its containers and strings (an index past
// the end, a length beyond the maximum), raised by the program itself.
//
// The library's own versions of these functions live in one object that also brings the whole
// std::logic_error / std::runtime_error family, and with it a second, reference-counted copy of
// std::string and the random-device code: more than forty kilobytes that the program's floppy
// budget cannot spare. No part of the program catches those classes by name; every handler
// catches std::exception or kolvar::Error, so a kolvar::Error with the library's own text is
// what they see. Memory exhaustion and failed casts keep their standard classes.
#include <exception>
#include <new>
#include <string>
#include <typeinfo>

#include "platform/error.h"

namespace {

[[noreturn]] void Raise(const char* what) {
  std::wstring text = L"Eroare interna a programului: ";
  for (const char* p = what ? what : ""; *p; ++p)
    text.push_back(static_cast<unsigned char>(*p));
  throw kolvar::Error(text);
}

}  // namespace

namespace std {

void __throw_bad_exception() {
  throw bad_exception();
}
void __throw_bad_alloc() {
  throw bad_alloc();
}
void __throw_bad_array_new_length() {
  throw bad_array_new_length();
}
void __throw_bad_cast() {
  throw bad_cast();
}
void __throw_bad_typeid() {
  throw bad_typeid();
}
void __throw_logic_error(const char* what) {
  Raise(what);
}
void __throw_domain_error(const char* what) {
  Raise(what);
}
void __throw_invalid_argument(const char* what) {
  Raise(what);
}
void __throw_length_error(const char* what) {
  Raise(what);
}
void __throw_out_of_range(const char* what) {
  Raise(what);
}
// The format's arguments (the index and the size) are left out; the text names the operation.
void __throw_out_of_range_fmt(const char* format, ...) {
  Raise(format);
}
void __throw_runtime_error(const char* what) {
  Raise(what);
}
void __throw_range_error(const char* what) {
  Raise(what);
}
void __throw_overflow_error(const char* what) {
  Raise(what);
}
void __throw_underflow_error(const char* what) {
  Raise(what);
}

}  // namespace std
