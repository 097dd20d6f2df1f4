// The program's own terminate handler. Defining the handler variable here
// keeps libstdc++'s verbose handler, and with it the demangler (about 75 KB),
// out of the statically linked image. No exception is meant to reach it.
#include <cstdlib>
#include <exception>

namespace {
[[noreturn]] void AbortQuietly()
{
    std::abort();
}
} // namespace

namespace __cxxabiv1 {
std::terminate_handler __terminate_handler = AbortQuietly;
}
