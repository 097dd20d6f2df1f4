#include "Shortcuts.h"

#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "BoundedText.h"
#include "ConfigStrings.h"
#include "InstallInfo.h"
#include "PathHelpers.h"
#include "ResourceIds.h"
#include "UninstallLog.h"

namespace {

constexpr int LINK_NAME_CAPACITY = 260;

// Saves the link under path (wide) and logs it: the line is written once the
// file interface exists, also when the save then fails.
HRESULT SaveLink(IShellLinkA* link, const char* path)
{
    IPersistFile* file = nullptr;
    HRESULT result = link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    if (FAILED(result))
        return result;
    wchar_t widePath[LINK_NAME_CAPACITY];
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, LINK_NAME_CAPACITY) == 0)
        result = E_FAIL;
    else
        result = file->Save(widePath, TRUE);
    WriteLogLine(*CurrentInstall, LOG_FILE, path);
    file->Release();
    return result;
}

} // namespace

bool GetSpecialFolder(int csidl, char* buffer)
{
    LPITEMIDLIST items = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, &items)))
        return false;
    bool found = SHGetPathFromIDListA(items, buffer) != FALSE;
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(SHGetMalloc(&allocator))) {
        allocator->Free(items);
        allocator->Release();
    }
    return found;
}

bool CreateShortcut(const char* linkFolder, const char* targetFolder, UINT id)
{
    char row[60];
    char target[PATH_CAPACITY];
    char linkPath[PATH_CAPACITY];
    char name[60];
    LoadConfigString(id, row, sizeof row);
    LoadConfigString(id + 1, name, sizeof name);
    // A shortened path would name another file: such a link is not made.
    if (!CopyText(target, sizeof target, targetFolder) || !AppendText(target, sizeof target, row) ||
        !CopyText(linkPath, sizeof linkPath, linkFolder) || !AppendText(linkPath, sizeof linkPath, name) ||
        !AppendText(linkPath, sizeof linkPath, ".lnk"))
        return false;

    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return false;
    link->SetPath(target);
    link->SetDescription(name);
    HRESULT result = SaveLink(link, linkPath);
    link->Release();
    return SUCCEEDED(result);
}

void CreateShortcuts(const char* installDir)
{
    InstallInfo& info = *CurrentInstall;
    char desktop[PATH_CAPACITY];
    if (info.desktopShortcut && GetSpecialFolder(CSIDL_DESKTOPDIRECTORY, desktop) && AppendBackslash(desktop))
        CreateShortcut(desktop, installDir, ROW_DESKTOP_TARGET);

    if (!info.addToMenu)
        return;
    char group[PATH_CAPACITY];
    if (!GetSpecialFolder(CSIDL_PROGRAMS, group) || !AppendBackslash(group) ||
        !AppendText(group, sizeof group, info.folderName) || !AppendBackslash(group))
        return;
    if (!CreateDirectoryChain(group))
        return;
    // Without a folder name the links go straight into the Programs folder,
    // which is the user's, not ours to list for removal.
    if (info.folderName[0] != '\0')
        WriteLogLine(info, LOG_FOLDER, group);

    char probe[2];
    for (UINT id = ROW_MENU_FIRST_TARGET; id < ROW_MENU_END; id += 2) {
        if (LoadConfigString(id, probe, sizeof probe)[0] == '\0')
            break;
        CreateShortcut(group, installDir, id);
    }
}
