#include "ProgressWindow.h"

#include <commctrl.h>

#include "InstallInfo.h"
#include "ResourceIds.h"
#include "UninstallLog.h"

namespace {

void InitProgressBars(HWND window)
{
    SendDlgItemMessageA(window, IDC_FILE_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
    SendDlgItemMessageA(window, IDC_FILE_PROGRESS, PBM_SETSTEP, 1, 0);
    SendDlgItemMessageA(window, IDC_TOTAL_PROGRESS, PBM_SETRANGE, 0, MAKELPARAM(0, 100));
}

} // namespace

INT_PTR CALLBACK ProgressDialogProc(HWND window, UINT message, WPARAM, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        InitProgressBars(window);
        return TRUE;
    default:
        return FALSE;
    }
}

void PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void WinZipArchive::OnFileProgress(std::int32_t percent)
{
    SendDlgItemMessageA(CurrentInstall->progressWnd, IDC_FILE_PROGRESS, PBM_SETPOS,
                        static_cast<WPARAM>(percent), 0);
    PumpMessages();
}

void WinZipArchive::OnTotalProgress(std::int32_t percent)
{
    SendDlgItemMessageA(CurrentInstall->progressWnd, IDC_TOTAL_PROGRESS, PBM_SETPOS,
                        static_cast<WPARAM>(percent), 0);
    PumpMessages();
    if (percent == 100)
        Sleep(100);
}

void WinZipArchive::OnFileStart(const char* targetPath)
{
    WriteLogLine(*CurrentInstall, LOG_FILE, targetPath);
    SetDlgItemTextA(CurrentInstall->progressWnd, IDC_CURRENT_FILE, targetPath);
}
