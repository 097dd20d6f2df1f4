// Shortcuts: one on the desktop and a program group in the Start menu's
// Programs folder, made through the shell link object and logged for removal.
#pragma once

#include <windows.h>

// The path of a special folder (by CSIDL), without a trailing backslash, in a
// 260-byte buffer. False when the folder cannot be found.
bool GetSpecialFolder(int csidl, char* buffer);

// Makes <linkFolder><row id + 1>.lnk pointing to <targetFolder><row id>, with
// row id + 1 as description, and logs its path once the link object and its
// file interface exist. True when the link file was saved. A link or target
// path that would not fit 260 bytes makes no link and no line.
bool CreateShortcut(const char* linkFolder, const char* targetFolder, UINT id);

// The desktop shortcut (rows 10020, 10021) and the Start-menu group named
// after folderName (pairs from row 10030 up to the first empty target row), as
// chosen in CurrentInstall. Every failure is silent.
void CreateShortcuts(const char* installDir);
