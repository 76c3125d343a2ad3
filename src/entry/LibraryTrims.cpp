// Trims of the C++ library for the product's programs (setup.exe and
// ridsetup.exe), linked into each of them.
#include "base/Exception.h"

#include <cstdlib>
#include <new>

// The library's default terminate handler prints demangled type names and
// drags the whole demangler (about 50 KiB) into setup.exe; we never need it.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
} // namespace __gnu_cxx

// The library's own versions of these build std::logic_error and friends,
// whose copy-on-write strings bring about 50 KiB with them. They report
// conditions the program never causes on purpose (a string too long, an
// index past the end); our exception class says the same for less.
namespace std {
void __throw_bad_alloc() { throw std::bad_alloc(); }
void __throw_bad_array_new_length() { throw std::bad_array_new_length(); }
void __throw_length_error(const char* what) { throw tarvex::Exception(what); }
void __throw_logic_error(const char* what) { throw tarvex::Exception(what); }
void __throw_out_of_range_fmt(const char* format, ...) { throw tarvex::Exception(format); }
void __throw_system_error(int) { throw tarvex::Exception("System error"); }
} // namespace std
