#include "RunInstall.h"

#include <windows.h>

#include <cstdio>
#include <new>

#include "../archive/Crc32.h"
#include "BoundedText.h"
#include "ConfigStrings.h"
#include "FolderName.h"
#include "InstallInfo.h"
#include "PathHelpers.h"
#include "ProgressWindow.h"
#include "RegisterUninstaller.h"
#include "ResourceIds.h"
#include "Shortcuts.h"
#include "StoredValues.h"
#include "UninstallLog.h"

namespace {

const char CAPTION[] = "Install Error";
bool running = false;

void Warn(const char* text, const char* caption, UINT buttons)
{
    MessageBoxA(CurrentInstall->sheetWnd, text, caption, buttons | MB_ICONWARNING);
}

void ShowCodedText(int row)
{
    char text[200];
    Warn(LoadConfigString(row, text, sizeof text), CAPTION, MB_OK);
}

// Region A: writes FreeSpaceProbeOffset + 1 bytes in the destination base.
// Returns false when the probe failed and the user declined to go on.
bool ProbeFreeSpace(char* path)
{
    path[0] = '\0';
    try {
        GetTempFileNameA(CurrentInstall->destBase, "SPC", 0, path);
        File probe;
        probe.Open(path, "wb");
        probe.Seek(FreeSpaceProbeOffset, File::FROM_START);
        probe.Write("x", 1);
        probe.Close();
        DeleteFileA(path);
        return true;
    } catch (XFile) {
        DeleteFileA(path);
        return MessageBoxA(CurrentInstall->sheetWnd,
                           "There is not enough free space available to install the program.  "
                           "Continue installation anyway?",
                           CAPTION, MB_YESNO | MB_ICONWARNING) != IDNO;
    }
}

// Writes the log header: the title line, then the log's own path.
void StartLog(const char* logPath)
{
    InstallInfo& info = *CurrentInstall;
    char title[60];
    info.logFile.Open(logPath, "w+t");
    std::fputs("qvUnstallName=", info.logFile.stream);
    std::fputs(LoadConfigString(ROW_PRODUCT_TITLE, title, sizeof title), info.logFile.stream);
    std::fputs("\n", info.logFile.stream);
    WriteLogLine(info, LOG_FILE, logPath);
}

// Region B after the archive check: everything that writes at the destination.
void InstallFiles(WinZipArchive& archive, char* installDir)
{
    InstallInfo& info = *CurrentInstall;
    info.progressWnd = CreateDialogParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_PROGRESS), info.sheetWnd,
                                          ProgressDialogProc, 0);

    if (!ComposeInstallDir(info, installDir) || !CreateDirectoryChain(installDir))
        throw XZip{XZIP_NO_DIRECTORY};

    char logPath[PATH_CAPACITY];
    char row[60];
    // A log path that does not fit is refused like one that cannot be opened.
    if (!CopyText(logPath, sizeof logPath, installDir) || !AppendBackslash(logPath) ||
        !AppendText(logPath, sizeof logPath, LoadConfigString(ROW_LOG_NAME, row, sizeof row)))
        throw XFile{XFILE_OPEN};
    StartLog(logPath);

    archive.ExtractAll(installDir);

    if (!RegisterUninstaller(installDir, logPath))
        Warn("Unable to find setup uninstall program.  Program will have to be uninstalled manually.",
             LoadConfigString(ROW_UNINSTALLER_NAME, row, sizeof row), MB_OK);
    CreateShortcuts(installDir);
    LogExtraEntries(installDir);
    WriteLogLine(info, LOG_FOLDER, installDir);
}

// The common end, also on a way out that no handler covers.
struct RunEnd {
    ~RunEnd()
    {
        if (CurrentInstall->progressWnd != nullptr) {
            DestroyWindow(CurrentInstall->progressWnd);
            CurrentInstall->progressWnd = nullptr;
        }
        CurrentInstall->archive = nullptr;
        running = false;
    }
};

} // namespace

bool InstallRunning()
{
    return running;
}

bool RunInstall()
{
    InstallInfo& info = *CurrentInstall;
    if (running)
        return false;
    // Paths that would not fit their buffers are refused before anything is written.
    if (!InstallPathsFit(info.destBase, info.folderName)) {
        ShowCodedText(ROW_ZIP_TEXT_BASE + XZIP_NO_DIRECTORY);
        return false;
    }
    running = true;
    RunEnd end;

    char path[PATH_CAPACITY];
    if (!ProbeFreeSpace(path))
        return false;

    bool result = false;
    try {
        WinZipArchive archive(info.modulePath);
        Crc32 crc;
        if (FileCrc(crc, info.modulePath, archive.archiveStart) != ExpectedArchiveCrc)
            throw XZip{XZIP_CORRUPT};
        info.archive = &archive;
        InstallFiles(archive, path);
        result = true;
    } catch (XFile e) {
        // A failure raised while leaving the region (closing the archive) is
        // reported, so the run must not count as a success either.
        result = false;
        ShowCodedText(ROW_FILE_TEXT_BASE + e.code);
    } catch (XZip e) {
        result = false;
        ShowCodedText(ROW_ZIP_TEXT_BASE + e.code);
    } catch (std::bad_alloc&) {
        result = false;
        Warn("Insufficient memory to install files.", CAPTION, MB_OK);
    }
    return result;
}
