// Bounded copies into fixed character buffers. Each returns false and leaves
// the destination a valid (possibly shorter) string when the text would not
// fit capacity bytes including the terminator; nothing is written past it.
#pragma once

#include <cstddef>
#include <cstring>

inline bool CopyText(char* dst, std::size_t capacity, const char* src)
{
    std::size_t n = std::strlen(src);
    if (capacity == 0)
        return false;
    if (n >= capacity) {
        dst[0] = '\0';
        return false;
    }
    std::memcpy(dst, src, n + 1);
    return true;
}

// Appends src; on overflow dst is left as it was.
inline bool AppendText(char* dst, std::size_t capacity, const char* src)
{
    std::size_t used = std::strlen(dst);
    std::size_t n = std::strlen(src);
    if (used + n >= capacity)
        return false;
    std::memcpy(dst + used, src, n + 1);
    return true;
}
