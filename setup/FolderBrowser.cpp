#include <windows.h>
#include <shlobj.h>

#include "Wizard.h"

bool BrowseForDestination(HWND owner, char* path)
{
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)))
        return false;

    // The browser writes a display name into its buffer while it runs, also
    // when it is cancelled: it gets a buffer of its own, so that the path
    // buffer changes only when a folder is chosen.
    char displayName[MAX_PATH];
    displayName[0] = '\0';
    BROWSEINFOA info = {};
    info.hwndOwner = owner;
    info.pidlRoot = nullptr;
    info.pszDisplayName = displayName;
    info.lpszTitle = "Please choose destination directory";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS;
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(path);

    bool chosen = false;
    if (LPITEMIDLIST item = SHBrowseForFolderA(&info)) {
        char chosenPath[MAX_PATH];
        chosen = SHGetPathFromIDListA(item, chosenPath) != FALSE;
        if (chosen)
            lstrcpynA(path, chosenPath, MAX_PATH);
        allocator->Free(item);
    }
    allocator->Release();
    return chosen;
}

int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM, LPARAM data)
{
    if (message == BFFM_INITIALIZED) {
        SendMessageA(browser, BFFM_ENABLEOK, 0, TRUE);
        SendMessageA(browser, BFFM_SETSELECTIONA, TRUE, data);
    }
    return 0;
}
