#include <windows.h>
#include <commctrl.h>
#include <prsht.h>

#include "InstallInfo.h"
#include "ResourceIds.h"
#include "RunInstall.h"
#include "Wizard.h"

namespace {

void SetResult(HWND page, LONG_PTR result)
{
    SetWindowLongPtrA(page, DWLP_MSGRESULT, result);
}

DWORD ButtonsOf(int pageId)
{
    switch (pageId) {
    case IDD_WELCOME:
        return PSWIZB_NEXT;
    case IDD_DESTINATION:
        return PSWIZB_BACK | PSWIZB_NEXT;
    default:
        return PSWIZB_BACK | PSWIZB_FINISH;
    }
}

void OnFinish(HWND page, int pageId)
{
    // Installs at most once: a click queued before the wizard closed is ignored.
    if (pageId != IDD_OPTIONS || CurrentInstall->installed == 1) {
        SetResult(page, 0);
        return;
    }
    bool installed = false;
    try {
        installed = RunInstall();
    } catch (...) {
        // Nothing may unwind through the property sheet; the run failed.
        installed = false;
    }
    CurrentInstall->installed = installed ? 1 : 0;
    // Set after the run: a Finish refused during it wrote -1 on this same page.
    SetResult(page, installed ? 0 : -1); // -1 keeps the wizard open on this page
}

} // namespace

bool OnWizardNotify(HWND page, const NMHDR* header, int pageId)
{
    switch (header->code) {
    case PSN_SETACTIVE:
        PostMessageA(CurrentInstall->sheetWnd, PSM_SETWIZBUTTONS, 0, ButtonsOf(pageId));
        SetResult(page, 0);
        return true;
    case PSN_WIZFINISH:
        // The progress hooks dispatch messages, so a second Finish can arrive
        // while the first run is working: it must neither start a run nor close.
        if (InstallRunning()) {
            SetResult(page, -1);
            return true;
        }
        OnFinish(page, pageId);
        return true;
    case PSN_WIZBACK:
    case PSN_WIZNEXT:
        if (InstallRunning()) {
            SetResult(page, -1); // stay: the pages must not change under a run
            return true;
        }
        return false;
    case PSN_QUERYCANCEL:
        if (InstallRunning()) {
            MessageBeep(MB_ICONEXCLAMATION);
            SetResult(page, TRUE); // refuse to close the wizard under a run
            return true;
        }
        return false;
    default:
        return false;
    }
}

int CALLBACK SheetCallback(HWND sheet, UINT message, LPARAM)
{
    if (message == PSCB_INITIALIZED)
        CurrentInstall->sheetWnd = sheet;
    return 0;
}
