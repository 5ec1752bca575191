// The launcher has no console to print a demangled exception name to, so
// std::terminate aborts without libstdc++'s verbose handler. Defining the
// handler here keeps the library's version, and the C++ demangler that it
// pulls in (about 45 KB), out of the executable.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx
