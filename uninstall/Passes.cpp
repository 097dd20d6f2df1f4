#include <windows.h>

#include <cstring>

#include "Texts.h"
#include "Uninstall.h"

namespace {

// One pass from the start of the log over the lines with the given prefix.
// An entry counts only when its removal failed and something is still there:
// an entry already gone is done.
int RemoveEntries(LogCursor& cursor, const char* prefix, BOOL(WINAPI* remove)(LPCSTR))
{
    char line[ENTRY_CAPACITY];
    const std::size_t prefixLength = std::strlen(prefix);
    int left = 0;
    cursor.next = cursor.start;
    while (NextLine(cursor, line, sizeof line) != nullptr) {
        // A NUL would cut the path short and name another file or folder.
        if (LineHoldsNul(cursor, line) || !StartsWithIgnoringAsciiCase(line, prefix))
            continue;
        const char* path = line + prefixLength;
        if (!remove(path) && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
            ++left;
    }
    return left;
}

} // namespace

int DeleteLoggedFiles(LogCursor& cursor)
{
    return RemoveEntries(cursor, texts::FILE_PREFIX, DeleteFileA);
}

int RemoveLoggedFolders(LogCursor& cursor)
{
    return RemoveEntries(cursor, texts::FOLDER_PREFIX, RemoveDirectoryA);
}
