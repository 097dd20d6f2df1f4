#include "EntryName.h"

namespace {

bool IsSeparator(char c)
{
    return c == '/' || c == '\\';
}

// A component of dots and spaces only, with at least two dots: Windows trims
// trailing dots and spaces, so ".. " and "..." can reach the parent too.
bool ClimbsUp(const char* component, std::size_t length)
{
    std::size_t dots = 0;
    for (std::size_t i = 0; i < length; ++i) {
        if (component[i] == '.')
            ++dots;
        else if (component[i] != ' ')
            return false;
    }
    return dots >= 2;
}

} // namespace

bool IsSafeEntryName(const char* name, std::size_t length)
{
    if (length == 0 || IsSeparator(name[0]))
        return false;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= length; ++i) {
        if (i == length || IsSeparator(name[i])) {
            if (ClimbsUp(name + start, i - start))
                return false;
            start = i + 1;
        } else if (name[i] == ':' || name[i] == '\0') {
            return false;
        }
    }
    return true;
}
