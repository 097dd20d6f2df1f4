#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

#include "ConfigStrings.h"
#include "InstallationTestSupport.h"
#include "PathHelpers.h"
#include "ProgressWindow.h"
#include "ResourceIds.h"
#include "Shortcuts.h"
#include "UninstallLog.h"

namespace {

std::string FolderOf(int csidl)
{
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
    return std::string(path) + "\\";
}

} // namespace

// The log of a whole run of the Vantrell example, written by the same steps
// and in the same order as the install procedure writes it (the uninstaller
// registration writes no line).
TEST(InstallationLog, ExampleRunWritesItsLinesInOrder)
{
    CoInitialize(nullptr);
    InitCommonControls();
    ModuleInstance = GetModuleHandleA(nullptr); // the setup program's own string table
    ScratchDir scratch("example");
    const std::string installDir = scratch.dir() + "Vantrell\\";
    const std::string logPath = installDir + "unstall.log";
    const std::string desktop = FolderOf(CSIDL_DESKTOPDIRECTORY);
    const std::string group = FolderOf(CSIDL_PROGRAMS) + "Vantrell\\";
    DeleteFileA((desktop + "Vantrell.lnk").c_str());
    RemoveTree(group);

    ASSERT_TRUE(CreateDirectoryChain(installDir.c_str()));
    std::string text;
    {
        TestInstall run(logPath);
        std::strcpy(run.info.folderName, "Vantrell");
        char title[60];
        std::fputs("qvUnstallName=", run.info.logFile.stream);
        std::fputs(LoadConfigString(ROW_PRODUCT_TITLE, title, sizeof title), run.info.logFile.stream);
        std::fputs("\n", run.info.logFile.stream);
        WriteLogLine(run.info, LOG_FILE, logPath.c_str());
        run.info.progressWnd = CreateDialogParamA(ModuleInstance, MAKEINTRESOURCEA(IDD_PROGRESS), nullptr,
                                                  ProgressDialogProc, 0);
        {
            WinZipArchive archive(FixturePath("installation_example.zip").c_str());
            archive.ExtractAll(installDir.c_str());
        }
        DestroyWindow(run.info.progressWnd);
        run.info.progressWnd = nullptr;
        CreateShortcuts(installDir.c_str());
        LogExtraEntries(installDir.c_str());
        WriteLogLine(run.info, LOG_FOLDER, installDir.c_str());
        text = run.CloseAndRead();
    }

    EXPECT_EQ(text, DiskLines({
                        "qvUnstallName=Vantrell 2.0",
                        "qvFile=" + logPath,
                        "qvFile=" + installDir + "Vantrell.exe",
                        "qvFile=" + installDir + "kestrun.exe",
                        "qvFile=" + installDir + "Docs\\Guide.htm",
                        "qvFile=" + desktop + "Vantrell.lnk",
                        "qvFolder=" + group,
                        "qvFile=" + group + "Vantrell.lnk",
                        "qvFile=" + group + "Read Me.lnk",
                        "qvFile=" + WindowsDir() + "Vantrell.ini",
                        "qvFolder=" + installDir + "Cache\\",
                        "qvFolder=" + installDir,
                    }));
    EXPECT_EQ(text.find("\n\n"), std::string::npos);

    DeleteFileA((desktop + "Vantrell.lnk").c_str());
    RemoveTree(group);
    ModuleInstance = nullptr;
    CoUninitialize();
}
