#include <cstring>

#include "Uninstall.h"

bool ParseCommandLine(char* text, char** title, char** logPath)
{
    char* quote = std::strchr(text, '"');
    if (quote == nullptr)
        return false;
    *title = quote + 1;
    quote = std::strchr(*title, '"');
    if (quote == nullptr)
        return false;
    *quote = '\0';
    quote = std::strchr(quote + 1, '"');
    if (quote == nullptr) {
        *logPath = nullptr;
        return true;
    }
    *logPath = quote + 1;
    quote = std::strchr(*logPath, '"');
    if (quote == nullptr)
        return false;
    *quote = '\0';
    return true;
}
