#include "UninstallLog.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "ConfigStrings.h"
#include "InstallInfo.h"
#include "PathHelpers.h"
#include "ResourceIds.h"

void WriteLogLine(InstallInfo& info, LogLineKind kind, const char* path)
{
    if (!info.logFile.IsOpen())
        return;
    // The C library's own formatted print: in C++ the plain name is bound to
    // mingw's replacement printf, which would add about 45 KB to the program.
    __ms_fprintf(info.logFile.stream, kind == LOG_FILE ? "qvFile=%s\n" : "qvFolder=%s\n", path);
}

void LogExtraEntries(const char* installDir)
{
    char windowsDir[PATH_CAPACITY];
    UINT length = GetWindowsDirectoryA(windowsDir, sizeof windowsDir);
    if (length == 0 || length >= sizeof windowsDir || !AppendBackslash(windowsDir, sizeof windowsDir))
        windowsDir[0] = '\0'; // no usable Windows directory: rows naming it cannot be placed

    char row[PATH_CAPACITY];
    char scratch[PATH_CAPACITY];
    for (UINT id = ROW_EXTRA_FIRST; id < ROW_EXTRA_END; ++id) {
        if (LoadConfigString(id, row, sizeof row)[0] == '\0')
            break;
        // Each pass writes into whichever buffer does not hold the current text.
        const char* text = ReplaceAll(scratch, row, "%ProgDir%", installDir, PATH_CAPACITY);
        if (text == nullptr)
            continue;
        char* spare = text == row ? scratch : row;
        if (windowsDir[0] == '\0' && std::strstr(text, "%WinDir%") != nullptr)
            continue;
        text = ReplaceAll(spare, text, "%WinDir%", windowsDir, PATH_CAPACITY);
        if (text == nullptr)
            continue;
        std::size_t n = std::strlen(text);
        WriteLogLine(*CurrentInstall, n > 0 && text[n - 1] == '\\' ? LOG_FOLDER : LOG_FILE, text);
    }
}
