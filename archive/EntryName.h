// Entry names are untrusted: only a plain relative path may be joined to the
// install directory.
#pragma once

#include <cstddef>

// True when the length bytes of name form a relative path that stays below
// the directory it is joined to: no NUL inside, no leading '/' or '\\', no
// colon (drive letters, alternate streams), and no component made only of
// dots and spaces with two or more dots ("..", "...", ".. "), which Windows
// would treat as a step up. Either separator counts.
bool IsSafeEntryName(const char* name, std::size_t length);
