// Configuration rows of the string table and the bounded text macros.
#pragma once

#include <windows.h>

#include <cstddef>

// Reads row into buffer (limit counts the terminator); an absent row reads as
// the empty string. Returns buffer.
char* LoadConfigString(UINT row, char* buffer, int limit);

// Replaces every occurrence of token in input, writing into output (capacity
// bytes). Returns output when something was replaced and it fits, input itself
// when token does not occur (output then holds ""), or null when the result
// would not fit (output is then unspecified but never written past capacity).
const char* ReplaceAll(char* output, const char* input, const char* token, const char* replacement,
                       std::size_t capacity);

struct MacroPair {
    const char* token;
    const char* replacement;
};

// Puts the product name (row 10010) in place of "%ProgName%" in every control
// of a wizard page.
BOOL SubstituteProgName(HWND page);

// EnumChildWindows callback; lParam points to a MacroPair. Always TRUE.
BOOL CALLBACK SubstituteInChild(HWND control, LPARAM lParam);
