#include "ConfigStrings.h"

#include <cstring>

#include "InstallInfo.h"
#include "ResourceIds.h"

char* LoadConfigString(UINT row, char* buffer, int limit)
{
    buffer[0] = '\0';
    LoadStringA(ModuleInstance, row, buffer, limit);
    return buffer;
}

const char* ReplaceAll(char* output, const char* input, const char* token, const char* replacement,
                       std::size_t capacity)
{
    output[0] = '\0';
    std::size_t tokenLength = std::strlen(token);
    std::size_t replacementLength = std::strlen(replacement);
    std::size_t used = 0;
    const char* search = input;
    bool replaced = false;

    for (const char* hit = std::strstr(search, token); hit != nullptr; hit = std::strstr(search, token)) {
        std::size_t between = static_cast<std::size_t>(hit - search);
        if (used + between + replacementLength + 1 > capacity)
            return nullptr;
        std::memcpy(output + used, search, between);
        used += between;
        std::memcpy(output + used, replacement, replacementLength);
        used += replacementLength;
        search = hit + tokenLength;
        replaced = true;
    }
    if (!replaced)
        return input;

    std::size_t rest = std::strlen(search);
    if (used + rest + 1 > capacity)
        return nullptr;
    std::memcpy(output + used, search, rest + 1);
    return output;
}

BOOL SubstituteProgName(HWND page)
{
    char name[60];
    LoadConfigString(ROW_PRODUCT_NAME, name, sizeof name);
    MacroPair pair = {"%ProgName%", name};
    return EnumChildWindows(page, SubstituteInChild, reinterpret_cast<LPARAM>(&pair));
}

BOOL CALLBACK SubstituteInChild(HWND control, LPARAM lParam)
{
    const MacroPair* pair = reinterpret_cast<const MacroPair*>(lParam);
    char text[300];
    char replaced[300];
    GetWindowTextA(control, text, sizeof text);
    if (std::strlen(text) > 4 &&
        ReplaceAll(replaced, text, pair->token, pair->replacement, sizeof replaced) == replaced)
        SetWindowTextA(control, replaced);
    return TRUE;
}
