// The program lets no exception escape, so libstdc++'s verbose terminate
// handler, which prints a demangled type name and drags the demangler (about
// 75 KB) into a statically linked image, is never needed. Defining it here
// keeps that code out.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler()
{
    std::abort();
}
} // namespace __gnu_cxx
