// A small GUI program for the driver's own tests:
//   driver_probe box STYLE CAPTION TEXT   message box, exit code = its answer
//   driver_probe dialog                   dialog 100; OK ends with the number typed in edit 101,
//                                         plus 1000 when box 103 is checked; Cancel asks, Yes ends with 3
//   driver_probe parent                   starts "driver_probe box 0 Child Child" and waits for ever
//   driver_probe exit N                   ends with exit code N
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "ProbeIds.h"

namespace {

INT_PTR CALLBACK ProbeDialog(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK) {
            UINT number = GetDlgItemInt(dialog, PROBE_EDIT, nullptr, FALSE);
            EndDialog(dialog, static_cast<INT_PTR>(number + (IsDlgButtonChecked(dialog, PROBE_CHECK) ? 1000 : 0)));
            return TRUE;
        }
        if (LOWORD(wParam) == IDCANCEL) {
            if (MessageBoxA(dialog, "Quit?", "Probe", MB_YESNO | MB_ICONQUESTION) == IDYES)
                EndDialog(dialog, 3);
            return TRUE;
        }
        break;
    }
    return FALSE;
}

int StartChild()
{
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string line = std::string("\"") + self + "\" box 0 Child Child";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessA(self, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return 2;
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    Sleep(INFINITE);
    return 0;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    if (__argc >= 5 && std::strcmp(__argv[1], "box") == 0)
        return MessageBoxA(nullptr, __argv[4], __argv[3], static_cast<UINT>(std::strtoul(__argv[2], nullptr, 16)));
    if (__argc >= 2 && std::strcmp(__argv[1], "dialog") == 0)
        return static_cast<int>(DialogBoxParamA(instance, MAKEINTRESOURCEA(PROBE_DIALOG), nullptr, ProbeDialog, 0));
    if (__argc >= 2 && std::strcmp(__argv[1], "parent") == 0)
        return StartChild();
    if (__argc >= 3 && std::strcmp(__argv[1], "exit") == 0)
        return std::atoi(__argv[2]);
    return 1;
}
