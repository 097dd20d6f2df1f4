#include <windows.h>
#include <shlobj.h>

#include "Wizard.h"

bool BrowseForDestination(HWND owner, char* path)
{
    IMalloc* allocator = nullptr;
    if (FAILED(SHGetMalloc(&allocator)))
        return false;

    BROWSEINFOA info = {};
    info.hwndOwner = owner;
    info.pidlRoot = nullptr;
    info.pszDisplayName = path;
    info.lpszTitle = "Please choose destination directory";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS;
    info.lpfn = BrowseCallback;
    info.lParam = reinterpret_cast<LPARAM>(path);

    // The browser writes the chosen folder's display name into path; keep the
    // old text so that a failed conversion does not leave a bare name behind.
    char previous[MAX_PATH];
    lstrcpynA(previous, path, MAX_PATH);
    bool chosen = false;
    if (LPITEMIDLIST item = SHBrowseForFolderA(&info)) {
        chosen = SHGetPathFromIDListA(item, path) != FALSE;
        if (!chosen)
            lstrcpynA(path, previous, MAX_PATH);
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
