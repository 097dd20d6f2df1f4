// Placing the uninstaller in the Windows directory and writing the product's
// entry in the shell's list of installed programs.
#pragma once

constexpr unsigned UNINSTALL_COMMAND_CAPACITY = 520;

// Moves the extracted uninstaller (row 10013) from installDir into the Windows
// directory unless the copy there is newer, then writes the key
// HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\<title> with
// "DisplayName" and "UninstallString" = <windows copy> "<title>" "<logPath>".
// True when the key was created (value writes are not checked).
// False with nothing moved or written when the name (row 10013) is not
// configured, the title (row 10011) is empty, a double quote in the title or
// the log path would split the command wrongly, or the command would not fit
// 520 bytes. False when the move fails, and when the key cannot be created,
// the uninstaller then already placed.
bool RegisterUninstaller(const char* installDir, const char* logPath);

// +1 when a's fixed file version is newer than b's, -1 when older, 0 when
// equal; 0 when a's version cannot be read, else +1 when b's cannot.
int CompareFileVersions(const char* a, const char* b);
