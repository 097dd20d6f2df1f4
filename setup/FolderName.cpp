#include "FolderName.h"

#include <cstring>
#include <initializer_list>

#include "ConfigStrings.h"
#include "PathHelpers.h"
#include "ResourceIds.h"

namespace {
const char REJECTED[] = "<>:\"/\\|";
}

bool HasRejectedCharacter(const char* name)
{
    return std::strpbrk(name, REJECTED) != nullptr;
}

void RemoveRejectedCharacters(char* name)
{
    char* out = name;
    for (const char* in = name; *in != '\0'; ++in)
        if (std::strchr(REJECTED, *in) == nullptr)
            *out++ = *in;
    *out = '\0';
}

bool InstallPathsFit(const char* destBase, const char* folderName)
{
    char installDir[PATH_CAPACITY];
    if (!ComposeInstallDir(destBase, folderName, installDir))
        return false;
    std::size_t dirLength = std::strlen(installDir);
    char row[60];
    for (UINT id : {ROW_START_COMMAND, ROW_LOG_NAME})
        if (dirLength + std::strlen(LoadConfigString(id, row, sizeof row)) >= PATH_CAPACITY)
            return false;
    return true;
}
