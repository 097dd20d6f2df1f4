// Path functions shared by the whole setup program. A path is a NUL-terminated
// narrow string in a buffer of PATH_CAPACITY bytes; a directory path ends with
// a backslash, and only text followed by a backslash is treated as a directory.
#pragma once

#include <cstddef>

constexpr std::size_t PATH_CAPACITY = 260;

struct InstallInfo;

// Appends a backslash unless the path already ends with one. An empty path
// stays empty (it names no directory; a lone backslash would mean the drive
// root). Returns false, leaving the path unchanged, when there is no room.
bool AppendBackslash(char* path, std::size_t capacity = PATH_CAPACITY);

// destBase, a backslash unless present, folderName, a backslash unless present.
// Returns false and leaves the empty string when the result would not fit
// the 260-byte buffer.
bool ComposeInstallDir(const InstallInfo& info, char* out);

// The same composition from a base and a folder name.
bool ComposeInstallDir(const char* destBase, const char* folderName, char* out);

// Creates every missing directory named by a backslash-terminated prefix of
// path. False at the first prefix that is not a directory and cannot be made
// one, and for a path too long for a 260-byte buffer (nothing is created).
bool CreateDirectoryChain(const char* path);
