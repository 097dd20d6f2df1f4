// File times from the archive's MS-DOS date and time (local time).
#include <windows.h>

#include "ZipArchive.h"

void SetFileDosTime(const char* path, std::uint16_t dosDate, std::uint16_t dosTime)
{
    FILETIME local;
    if (!DosDateTimeToFileTime(dosDate, dosTime, &local))
        return;
    FILETIME universal;
    if (!LocalFileTimeToFileTime(&local, &universal))
        return;
    HANDLE h = CreateFileA(path, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    SetFileTime(h, &universal, &universal, &universal);
    CloseHandle(h);
}
