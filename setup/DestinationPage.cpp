#include <windows.h>

#include <cstring>

#include "BoundedText.h"
#include "ConfigStrings.h"
#include "FolderName.h"
#include "InstallInfo.h"
#include "PathHelpers.h"
#include "ResourceIds.h"
#include "Wizard.h"

namespace {

BOOL OnInitDialog(HWND page)
{
    SendDlgItemMessageA(page, IDC_FOLDER_NAME, EM_LIMITTEXT, FOLDER_NAME_CAPACITY - 1, 0);
    SetDlgItemTextA(page, IDC_FOLDER_NAME, CurrentInstall->folderName);
    SendDlgItemMessageA(page, IDC_INSTALL_DIR, EM_LIMITTEXT, 200, 0);
    RefreshInstallDirField(page);
    SubstituteProgName(page);
    return TRUE;
}

void OnBrowse(HWND page)
{
    InstallInfo& info = *CurrentInstall;
    char previous[DEST_BASE_CAPACITY];
    CopyText(previous, sizeof previous, info.destBase);
    BrowseForDestination(page, info.destBase);
    // A folder whose install directory would not fit is refused whole rather
    // than cut into another path.
    if (!InstallPathsFit(info.destBase, info.folderName)) {
        CopyText(info.destBase, DEST_BASE_CAPACITY, previous);
        MessageBoxA(page, "The path of the chosen folder is too long.  Please choose a shorter one.",
                    "Install Error", MB_OK | MB_ICONWARNING);
    }
    RefreshInstallDirField(page);
}

// EN_UPDATE arrives before the changed text is shown, so a rejected name never
// reaches folderName: the field gets the last accepted name back.
void OnFolderNameUpdate(HWND page)
{
    char name[FOLDER_NAME_CAPACITY];
    GetDlgItemTextA(page, IDC_FOLDER_NAME, name, sizeof name);
    if (HasRejectedCharacter(name) || !InstallPathsFit(CurrentInstall->destBase, name)) {
        SetDlgItemTextA(page, IDC_FOLDER_NAME, CurrentInstall->folderName);
        MessageBeep(MB_ICONEXCLAMATION);
    }
}

void OnFolderNameChange(HWND page)
{
    GetDlgItemTextA(page, IDC_FOLDER_NAME, CurrentInstall->folderName, FOLDER_NAME_CAPACITY);
    RefreshInstallDirField(page);
}

void OnCommand(HWND page, int control, int code)
{
    if (control == IDC_BROWSE) {
        OnBrowse(page);
    } else if (control == IDC_FOLDER_NAME) {
        switch (code) {
        case EN_CHANGE:
            OnFolderNameChange(page);
            break;
        case EN_UPDATE:
            OnFolderNameUpdate(page);
            break;
        }
    }
}

} // namespace

void RefreshInstallDirField(HWND page)
{
    char installDir[PATH_CAPACITY];
    ComposeInstallDir(*CurrentInstall, installDir);
    SetDlgItemTextA(page, IDC_INSTALL_DIR, installDir);
}

INT_PTR CALLBACK DestinationPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NOTIFY:
        return OnWizardNotify(page, reinterpret_cast<const NMHDR*>(lParam), IDD_DESTINATION);
    case WM_INITDIALOG:
        return OnInitDialog(page);
    case WM_COMMAND:
        OnCommand(page, LOWORD(wParam), HIWORD(wParam));
        return FALSE;
    default:
        return FALSE;
    }
}
