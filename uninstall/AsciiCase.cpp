#include "Uninstall.h"

namespace {

char FoldAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool EqualIgnoringAsciiCase(const char* a, const char* b)
{
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (FoldAscii(*a) != FoldAscii(*b))
            return false;
    }
    return *a == *b;
}

bool StartsWithIgnoringAsciiCase(const char* text, const char* prefix)
{
    for (; *prefix != '\0'; ++text, ++prefix) {
        if (*text == '\0' || FoldAscii(*text) != FoldAscii(*prefix))
            return false;
    }
    return true;
}
