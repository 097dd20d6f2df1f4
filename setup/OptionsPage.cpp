#include <windows.h>

#include "ConfigStrings.h"
#include "InstallInfo.h"
#include "ResourceIds.h"
#include "Wizard.h"

namespace {

BOOL OnInitDialog(HWND page)
{
    CheckDlgButton(page, IDC_ADD_TO_MENU, CurrentInstall->addToMenu == 1 ? 1 : 0);
    CheckDlgButton(page, IDC_DESKTOP_SHORTCUT, CurrentInstall->desktopShortcut == 1 ? 1 : 0);
    SubstituteProgName(page);
    return TRUE;
}

void OnCommand(HWND page, int control)
{
    switch (control) {
    case IDC_ADD_TO_MENU:
        CurrentInstall->addToMenu = IsDlgButtonChecked(page, IDC_ADD_TO_MENU) == BST_CHECKED ? 1 : 0;
        break;
    case IDC_DESKTOP_SHORTCUT:
        CurrentInstall->desktopShortcut = IsDlgButtonChecked(page, IDC_DESKTOP_SHORTCUT) == BST_CHECKED ? 1 : 0;
        break;
    }
}

} // namespace

INT_PTR CALLBACK OptionsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NOTIFY:
        return OnWizardNotify(page, reinterpret_cast<const NMHDR*>(lParam), IDD_OPTIONS);
    case WM_INITDIALOG:
        return OnInitDialog(page);
    case WM_COMMAND:
        OnCommand(page, LOWORD(wParam));
        return FALSE;
    default:
        return FALSE;
    }
}
