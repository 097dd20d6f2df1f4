// The progress window (dialog 2010) and the archive whose hooks drive it and
// log every extracted file.
#pragma once

#include <windows.h>

#include <cstdint>

#include "../archive/ZipArchive.h"

// Dialog procedure of template 2010: sets both bars to the range 0 to 100 on
// WM_INITDIALOG and handles nothing else.
INT_PTR CALLBACK ProgressDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Handles every queued message of the thread, for every window, until the
// queue is empty.
void PumpMessages();

// The hooks reach the window and the log through CurrentInstall, not through
// the archive. Adds no data: destroyed as a ZipArchive.
class WinZipArchive : public ZipArchive {
public:
    explicit WinZipArchive(const char* path) : ZipArchive(path) {}

    // Bar 102, then the queue.
    void OnFileProgress(std::int32_t percent) override;
    // Bar 103, then the queue; at 100 the full bar stays up for 100 ms.
    void OnTotalProgress(std::int32_t percent) override;
    // A file line in the log, then the path in control 101.
    void OnFileStart(const char* targetPath) override;
};
