// The launcher has no console to print a demangled exception name to, so
// std::terminate aborts without libstdc++'s verbose handler. Defining the
// handler here keeps the library's version, and the C++ demangler that it
// pulls in (about 45 KB), out of the executable.
//
// Likewise std::mutex reports a failed lock through __throw_system_error,
// whose definition brings the library's error categories and their
// messages (about 10 KB). No caller of a lock catches it, so the exception
// would end in std::terminate; aborting here ends the same way.
#include <cstdlib>
#include <system_error>

namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx

// NOLINTNEXTLINE(cert-dcl58-cpp): replaces the library's own definition
namespace std {
void __throw_system_error(int /*error*/) {
    std::abort();
}
} // namespace std
