// The uninstall log: the text file through which the setup program tells the
// uninstaller what to remove. Its stream (InstallInfo::logFile) is opened "w+t"
// by the install procedure, so every "\n" written here reaches the disk as CR LF.
#pragma once

struct InstallInfo;

enum LogLineKind { LOG_FOLDER = 0, LOG_FILE = 1 };

// Writes "qvFile=<path>\n" or "qvFolder=<path>\n" to info.logFile. Write errors
// are not reported. A closed log takes nothing.
void WriteLogLine(InstallInfo& info, LogLineKind kind, const char* path);

// Appends the configured extra entries (rows 10100 to 10298, up to the first
// empty row) with "%ProgDir%" and then "%WinDir%" expanded. installDir ends
// with a backslash. A row whose expansion does not fit 260 bytes is skipped.
void LogExtraEntries(const char* installDir);
