#include <cstring>

#include "Uninstall.h"

char* NextLine(LogCursor& cursor, char* buffer, std::size_t capacity)
{
    if (cursor.next == nullptr || capacity == 0)
        return nullptr;
    // The text may hold NUL bytes, so the scan is bounded by the delivered
    // length, not by the first NUL.
    std::size_t rest = static_cast<std::size_t>(cursor.end - cursor.next);
    const char* lf = static_cast<const char*>(std::memchr(cursor.next, '\n', rest));
    std::size_t n = lf != nullptr ? static_cast<std::size_t>(lf - cursor.next) : rest;
    if (n >= capacity)
        n = capacity - 1;
    if (n == 0)
        return nullptr;
    std::memcpy(buffer, cursor.next, n);
    buffer[n] = '\0';
    cursor.taken = n;
    cursor.next = lf != nullptr ? lf + 1 : nullptr;
    return buffer;
}

bool LineHoldsNul(const LogCursor& cursor, const char* buffer)
{
    return std::strlen(buffer) != cursor.taken;
}
