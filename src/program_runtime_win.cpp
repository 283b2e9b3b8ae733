// Linked into the shipped programs only (not the test programs): lighter stand-ins for
// the C++ runtime's error paths, which otherwise bring in a second string implementation,
// the exception classes that carry texts, and a name demangler (together about 150 KB).
//
// The library raises these errors (length_error, out_of_range and the like) only on a
// programming error, and no code in the programs catches them, so they always ended in
// std::terminate; they now go there directly. Errors without a text still throw as before.
#include <cstdlib>
#include <exception>
#include <new>
#include <typeinfo>

namespace __gnu_cxx {

// The default handler prints the exception's demangled type to a console that a window
// program does not have, then aborts.
void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx

// The library's own names, which this file replaces on purpose.
// NOLINTBEGIN(bugprone-reserved-identifier)
namespace std {

void __throw_bad_exception() { throw bad_exception(); }
void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_bad_cast() { throw bad_cast(); }
void __throw_bad_typeid() { throw bad_typeid(); }

void __throw_logic_error(const char*) { terminate(); }
void __throw_domain_error(const char*) { terminate(); }
void __throw_invalid_argument(const char*) { terminate(); }
void __throw_length_error(const char*) { terminate(); }
void __throw_out_of_range(const char*) { terminate(); }
void __throw_out_of_range_fmt(const char*, ...) { terminate(); }
void __throw_runtime_error(const char*) { terminate(); }
void __throw_range_error(const char*) { terminate(); }
void __throw_overflow_error(const char*) { terminate(); }
void __throw_underflow_error(const char*) { terminate(); }

}  // namespace std
// NOLINTEND(bugprone-reserved-identifier)
