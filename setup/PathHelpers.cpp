#include "PathHelpers.h"

#include <windows.h>

#include <cstring>

#include "BoundedText.h"
#include "InstallInfo.h"

bool AppendBackslash(char* path, std::size_t capacity)
{
    std::size_t n = std::strlen(path);
    if (n == 0 || path[n - 1] == '\\')
        return true;
    if (n + 1 >= capacity)
        return false;
    path[n] = '\\';
    path[n + 1] = '\0';
    return true;
}

bool ComposeInstallDir(const InstallInfo& info, char* out)
{
    return ComposeInstallDir(info.destBase, info.folderName, out);
}

bool ComposeInstallDir(const char* destBase, const char* folderName, char* out)
{
    char work[PATH_CAPACITY];
    bool fits = CopyText(work, sizeof work, destBase) && AppendBackslash(work) &&
                AppendText(work, sizeof work, folderName) && AppendBackslash(work);
    if (!fits) {
        out[0] = '\0';
        return false;
    }
    std::memcpy(out, work, std::strlen(work) + 1);
    return true;
}

bool CreateDirectoryChain(const char* path)
{
    std::size_t length = std::strlen(path);
    if (length >= PATH_CAPACITY)
        return false;

    const char* p = path;
    while (*p == '\\')
        ++p;
    char prefix[PATH_CAPACITY];
    for (const char* sep = std::strchr(p, '\\'); sep != nullptr; sep = std::strchr(sep + 1, '\\')) {
        std::size_t n = static_cast<std::size_t>(sep - path) + 1;
        std::memcpy(prefix, path, n);
        prefix[n] = '\0';
        DWORD attributes = GetFileAttributesA(prefix);
        if (attributes == INVALID_FILE_ATTRIBUTES) {
            if (!CreateDirectoryA(prefix, nullptr))
                return false;
        } else if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            return false;
        }
    }
    return true;
}
