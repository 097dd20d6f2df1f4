#include <windows.h>

#include "ConfigStrings.h"
#include "ResourceIds.h"
#include "Wizard.h"

namespace {

// Centres the wizard (the page's parent) on the desktop.
void CentreWizard(HWND page)
{
    HWND wizard = GetParent(page);
    RECT wizardRect;
    RECT desktopRect;
    GetWindowRect(wizard, &wizardRect);
    GetWindowRect(GetDesktopWindow(), &desktopRect);
    int wizardWidth = wizardRect.right - wizardRect.left;
    int wizardHeight = wizardRect.bottom - wizardRect.top;
    int left = desktopRect.left + (desktopRect.right - desktopRect.left - wizardWidth) / 2;
    int top = desktopRect.top + (desktopRect.bottom - desktopRect.top - wizardHeight) / 2;
    SetWindowPos(wizard, HWND_TOP, left, top, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOOWNERZORDER);
}

BOOL OnInitDialog(HWND page)
{
    CentreWizard(page);
    SubstituteProgName(page);
    // After the substitution, so the description is shown exactly as stored.
    char description[256];
    SetDlgItemTextA(page, IDC_DESCRIPTION, LoadConfigString(ROW_DESCRIPTION, description, 255));
    return TRUE;
}

} // namespace

INT_PTR CALLBACK WelcomePageProc(HWND page, UINT message, WPARAM, LPARAM lParam)
{
    switch (message) {
    case WM_NOTIFY:
        return OnWizardNotify(page, reinterpret_cast<const NMHDR*>(lParam), IDD_WELCOME);
    case WM_INITDIALOG:
        return OnInitDialog(page);
    default:
        return FALSE;
    }
}
