// The one state record of a setup run, and the process-wide globals.
#pragma once

#include <windows.h>

#include <cstdint>

#include "../archive/File.h"

class WinZipArchive;

constexpr int DEST_BASE_CAPACITY = 260;
constexpr int FOLDER_NAME_CAPACITY = 60;
constexpr int MODULE_PATH_CAPACITY = 260;

struct InstallInfo {
    char* destBase;          // owned, 260 bytes: destination base directory
    char* folderName;        // owned, 60 bytes: program folder name
    char* modulePath;        // owned, 260 bytes: path of the running setup image
    std::uint8_t addToMenu;       // make the Start-menu group
    std::uint8_t desktopShortcut; // make the desktop shortcut
    std::uint8_t installed;       // result of the last Finish
    HWND sheetWnd;           // the wizard window
    HWND progressWnd;        // the progress window while a run is under way
    WinZipArchive* archive;  // not owned: the archive being extracted
    File logFile;            // the uninstall log; closed when the record ends

    // Allocates the three buffers (bad_alloc leaves nothing allocated).
    InstallInfo();
    // Releases the buffers, then closes a still-open log (XFile 5 on failure).
    ~InstallInfo() noexcept(false);

    InstallInfo(const InstallInfo&) = delete;
    InstallInfo& operator=(const InstallInfo&) = delete;
};

extern HINSTANCE ModuleInstance;
extern InstallInfo* CurrentInstall;

// Fills CurrentInstall->destBase from "ProgramFilesDir" or the current directory.
void ReadDefaultDestination();
