#include <gtest/gtest.h>

#include "SetupTestSupport.h"

#include <commctrl.h>

TEST_F(SetupProgramTest, ACompleteInstallThroughTheWizard)
{
    WizardRun run;
    ASSERT_TRUE(run.Start("vantrell", scratch.path()));

    // Welcome page
    EXPECT_TRUE(run.WaitForButtons("N")) << run.Buttons();
    EXPECT_NE(kit::FindControl(run.Page(), "This program will install Vantrell on your system.").window, nullptr);
    EXPECT_EQ(run.PageText(101), PRODUCT_DESCRIPTION);
    SaveScreenshot("wizard-1-welcome");

    // Destination page: the folder-name field and the install directory it makes
    ASSERT_TRUE(run.Press(NEXT_BUTTON));
    EXPECT_TRUE(run.WaitForButtons("BN")) << run.Buttons();
    EXPECT_NE(kit::FindControl(run.Page(), "Please specify where to install Vantrell.").window, nullptr);
    EXPECT_EQ(run.PageText(102), "Vantrell");
    EXPECT_EQ(run.PageText(104), programFiles + "Vantrell\\");
    for (const char* rejected : {"<", ">", ":", "\"", "/", "\\", "|"}) {
        run.Type(rejected);
        EXPECT_EQ(run.PageText(102), "Vantrell") << rejected;
        EXPECT_EQ(run.PageText(104), programFiles + "Vantrell\\") << rejected;
    }
    kit::SetEditText(GetDlgItem(run.Page(), 102), "Vantrell");
    std::string typed = "Vantrell";
    for (char c : std::string(" E2E")) {
        run.Type(std::string(1, c));
        typed += c;
        EXPECT_EQ(run.PageText(102), typed);
        EXPECT_EQ(run.PageText(104), programFiles + typed + "\\");
    }
    SaveScreenshot("wizard-2-destination");

    // Options page
    ASSERT_TRUE(run.Press(NEXT_BUTTON));
    EXPECT_TRUE(run.WaitForButtons("BF")) << run.Buttons();
    EXPECT_NE(kit::FindControl(run.Page(), "Add Vantrell to the Start->Programs menu").window, nullptr);
    EXPECT_EQ(SendMessageA(GetDlgItem(run.Page(), 101), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(SendMessageA(GetDlgItem(run.Page(), 102), BM_GETCHECK, 0, 0), BST_CHECKED);
    SaveScreenshot("wizard-3-options");

    ASSERT_TRUE(run.Press(FINISH_BUTTON));
    DWORD exitCode = 99;
    ASSERT_TRUE(run.WaitExit(120000, &exitCode));
    EXPECT_EQ(exitCode, 0u);

    std::string dir = programFiles + "Vantrell E2E\\";
    EXPECT_EQ(TextOf(dir + "Readme.txt"), "Vantrell 2.0\r\nRead me first.\r\n");
    EXPECT_EQ(ReadWholeFile(dir + "Docs\\Guide.htm").size(), 12u + 6u * 2000u + 14u);
    FILETIME expected = ArchiveTime();
    FILETIME written = LastWriteTime(dir + "Docs\\Guide.htm");
    EXPECT_EQ(CompareFileTime(&expected, &written), 0);
    EXPECT_EQ(TextOf(dir + "unstall.log"), ExpectedLog("Vantrell E2E"));

    EXPECT_EQ(RegistryText("DisplayName"), "Vantrell 2.0");
    EXPECT_EQ(RegistryText("UninstallString"),
              WindowsDir() + "\\kestrun.exe \"Vantrell 2.0\" \"" + dir + "unstall.log\"");
    EXPECT_TRUE(PathExists(WindowsDir() + "\\kestrun.exe"));
    EXPECT_FALSE(PathExists(dir + "kestrun.exe")) << "moved to the Windows directory";
    std::string programs = SpecialFolder(CSIDL_PROGRAMS) + "\\Vantrell E2E\\";
    EXPECT_TRUE(PathExists(SpecialFolder(CSIDL_DESKTOPDIRECTORY) + "\\Vantrell.lnk"));
    EXPECT_TRUE(PathExists(programs + "Vantrell.lnk"));
    EXPECT_TRUE(PathExists(programs + "Read Me.lnk"));

    // Started once, unquoted, in the setup program's own current directory.
    std::vector<std::string> record = RecordedLines(recordFile, 10000);
    ASSERT_EQ(record.size(), 2u);
    EXPECT_EQ(Unquoted(record[0]), dir + "Vantrell.exe /install");
    EXPECT_EQ(record[1], scratch.path());
}

TEST_F(SetupProgramTest, CancelOnAnyPageInstallsAndStartsNothing)
{
    for (int page = 0; page < 3; ++page) {
        WizardRun run;
        ASSERT_TRUE(run.Start("vantrell", scratch.path()));
        for (int i = 0; i < page; ++i)
            ASSERT_TRUE(run.Press(NEXT_BUTTON));
        ASSERT_TRUE(run.Press(CANCEL_BUTTON));
        DWORD exitCode = 99;
        ASSERT_TRUE(run.WaitExit(20000, &exitCode)) << "page " << page;
        EXPECT_EQ(exitCode, 0u);
        EXPECT_FALSE(PathExists(programFiles + "Vantrell")) << "page " << page;
        EXPECT_FALSE(KeyExists());
    }
    EXPECT_TRUE(RecordedLines(recordFile, 1000).empty());
}

TEST_F(SetupProgramTest, ADamagedImageIsReportedAndNothingIsWritten)
{
    struct Case {
        const char* image;
        const char* text;
    } cases[] = {
        {"damaged", "Zip file contains corrupted data or is incomplete.  Please download the file again."},
        {"truncated", "Cannot locate Zip End-of-Central directory.  Please make sure the entire file was downloaded."},
    };
    for (const Case& c : cases) {
        WizardRun run;
        StartAndGoToOptions(run, c.image, "Vantrell E2E");
        for (int attempt = 0; attempt < 2; ++attempt) {
            kit::MessageBoxView box = FinishExpectingMessage(run);
            EXPECT_EQ(box.caption, "Install Error");
            EXPECT_EQ(box.text, c.text) << c.image;
            EXPECT_EQ(box.icon, kit::IconKind::Warning) << kit::IconName(box.icon);
            EXPECT_TRUE(kit::PressButton(box.window, IDOK));
            ASSERT_TRUE(kit::WaitUntilGone(box.window, 10000));
            Sleep(300);
            EXPECT_TRUE(IsWindow(run.Sheet())) << "the wizard stays open";
            EXPECT_TRUE(run.WaitForButtons("BF")) << run.Buttons();
            EXPECT_FALSE(PathExists(programFiles + "Vantrell E2E")) << c.image;
        }
        ASSERT_TRUE(run.Press(CANCEL_BUTTON));
        DWORD exitCode = 99;
        ASSERT_TRUE(run.WaitExit(20000, &exitCode));
        EXPECT_EQ(exitCode, 0u);
    }
    EXPECT_TRUE(RecordedLines(recordFile, 500).empty());
}

TEST_F(SetupProgramTest, AnUnwritableDestinationThenANewFolderInstallsOnce)
{
    WriteWholeFile(programFiles + "Vantrell E2E", std::string("a file where the folder should go"));
    WizardRun run;
    StartAndGoToOptions(run, "vantrell", "Vantrell E2E");
    kit::MessageBoxView box = FinishExpectingMessage(run);
    EXPECT_EQ(box.text, "Destination folder cannot be created.  Please specify a different folder.");
    kit::PressButton(box.window, IDOK);
    ASSERT_TRUE(kit::WaitUntilGone(box.window, 10000));

    ASSERT_TRUE(run.Press(BACK_BUTTON));
    kit::SetEditText(GetDlgItem(run.Page(), 102), "Vantrell Second");
    EXPECT_EQ(run.PageText(104), programFiles + "Vantrell Second\\");
    ASSERT_TRUE(run.Press(NEXT_BUTTON));
    ASSERT_TRUE(run.Press(FINISH_BUTTON));
    DWORD exitCode = 99;
    ASSERT_TRUE(run.WaitExit(120000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(PathExists(programFiles + "Vantrell Second\\Readme.txt"));
    std::vector<std::string> record = RecordedLines(recordFile, 10000);
    ASSERT_EQ(record.size(), 2u) << "started once";
    EXPECT_EQ(Unquoted(record[0]), programFiles + "Vantrell Second\\Vantrell.exe /install");
}

TEST_F(SetupProgramTest, TheFreeSpaceQuestionCanStopOrGoOn)
{
    WizardRun run;
    StartAndGoToOptions(run, "noprobe", "Vantrell E2E");
    const char question[] =
        "There is not enough free space available to install the program.  Continue installation anyway?";

    kit::MessageBoxView box = FinishExpectingMessage(run);
    EXPECT_EQ(box.caption, "Install Error");
    EXPECT_EQ(box.text, question);
    EXPECT_EQ(box.icon, kit::IconKind::Warning);
    EXPECT_EQ(kit::ButtonTexts(box), "&Yes|&No");
    kit::PressButton(box.window, IDNO);
    ASSERT_TRUE(kit::WaitUntilGone(box.window, 10000));
    Sleep(300);
    EXPECT_TRUE(IsWindow(run.Sheet()));
    EXPECT_FALSE(PathExists(programFiles + "Vantrell E2E"));

    box = FinishExpectingMessage(run);
    EXPECT_EQ(box.text, question);
    kit::PressButton(box.window, IDYES);
    DWORD exitCode = 99;
    ASSERT_TRUE(run.WaitExit(120000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(PathExists(programFiles + "Vantrell E2E\\Readme.txt"));
}

TEST_F(SetupProgramTest, AnEmptyStartRowStartsNothing)
{
    WizardRun run;
    ASSERT_TRUE(run.Start("nostart", scratch.path()));
    EXPECT_EQ(run.PageText(101), "Stored as written: %ProgName% stays.");
    ASSERT_TRUE(run.Press(NEXT_BUTTON));
    kit::SetEditText(GetDlgItem(run.Page(), 102), "Vantrell E2E");
    ASSERT_TRUE(run.Press(NEXT_BUTTON));
    ASSERT_TRUE(run.Press(FINISH_BUTTON));
    DWORD exitCode = 99;
    ASSERT_TRUE(run.WaitExit(120000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(PathExists(programFiles + "Vantrell E2E\\Vantrell.exe"));
    EXPECT_TRUE(RecordedLines(recordFile, 2000).empty());
}

TEST_F(SetupProgramTest, AnEmptyUninstallerRowWarnsAndStillInstalls)
{
    WizardRun run;
    StartAndGoToOptions(run, "nouninst", "Vantrell E2E");
    kit::MessageBoxView box = FinishExpectingMessage(run);
    EXPECT_EQ(box.caption, "");
    EXPECT_EQ(box.text, "Unable to find setup uninstall program.  Program will have to be uninstalled manually.");
    EXPECT_EQ(box.icon, kit::IconKind::Warning);
    kit::PressButton(box.window, IDOK);
    DWORD exitCode = 99;
    ASSERT_TRUE(run.WaitExit(120000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_FALSE(KeyExists());
    EXPECT_FALSE(PathExists(WindowsDir() + "\\kestrun.exe")) << "nothing placed";
    EXPECT_TRUE(PathExists(programFiles + "Vantrell E2E\\Readme.txt"));
    EXPECT_EQ(RecordedLines(recordFile, 10000).size(), 2u);
}

// The wizard stays live during a run: a second Finish, Back or Cancel must
// neither start a second run nor close the wizard under the first.
TEST_F(SetupProgramTest, TheWizardRefusesToActWhileInstalling)
{
    WizardRun run;
    StartAndGoToOptions(run, "big", "Vantrell E2E");
    ASSERT_TRUE(run.Press(FINISH_BUTTON));
    HWND progress = kit::WaitForTopWindow(run.program, "#32770", "Installation Progress", 60000);
    ASSERT_NE(progress, nullptr);
    SaveScreenshot("progress-window");
    for (int button : {FINISH_BUTTON, BACK_BUTTON, CANCEL_BUTTON})
        PostMessageA(run.Sheet(), WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(run.Sheet(), button)));
    DWORD exitCode = 99;
    bool ended = run.WaitExit(240000, &exitCode);
    if (!ended)
        SaveScreenshot("busy-wizard-failure");
    ASSERT_TRUE(ended);
    EXPECT_EQ(exitCode, 0u);
    std::string log = TextOf(programFiles + "Vantrell E2E\\unstall.log");
    EXPECT_NE(log.find("qvFolder=" + programFiles + "Vantrell E2E\\\r\n"), std::string::npos);
    EXPECT_EQ(ReadWholeFile(programFiles + "Vantrell E2E\\Docs\\Data.bin").size(), 48u * 1024 * 1024);
    EXPECT_EQ(RecordedLines(recordFile, 10000).size(), 2u) << "started once";
}

// A long destination base: the folder-name field takes no keystroke that would
// make the install directory, the log path or the product's command line
// outgrow its 260-byte buffer.
TEST_F(SetupProgramTest, TheInstallDirectoryNeverOutgrowsItsBuffer)
{
    const char* key = "Software\\Microsoft\\Windows\\CurrentVersion";
    HKEY handle;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, key, 0, KEY_ALL_ACCESS, &handle), ERROR_SUCCESS);
    char saved[MAX_PATH] = "";
    DWORD savedSize = sizeof saved;
    RegQueryValueExA(handle, "ProgramFilesDir", nullptr, nullptr, reinterpret_cast<BYTE*>(saved), &savedSize);
    std::string base = "C:\\" + std::string(195, 'b'); // 198 characters
    RegSetValueExA(handle, "ProgramFilesDir", 0, REG_SZ, reinterpret_cast<const BYTE*>(base.c_str()),
                   static_cast<DWORD>(base.size() + 1));

    WizardRun run;
    bool started = run.Start("vantrell", scratch.path());
    RegSetValueExA(handle, "ProgramFilesDir", 0, REG_SZ, reinterpret_cast<BYTE*>(saved), savedSize);
    RegCloseKey(handle);
    ASSERT_TRUE(started);
    ASSERT_TRUE(run.Press(NEXT_BUTTON));
    EXPECT_EQ(run.PageText(104), base + "\\Vantrell\\");
    // The command line "Vantrell.exe /install" (21 characters) after the
    // directory must fit 259 characters: the directory may have 238.
    run.Type(std::string(45, 'x'));
    std::string name = run.PageText(102);
    EXPECT_EQ(name, "Vantrell" + std::string(30, 'x'));
    EXPECT_EQ(run.PageText(104), base + "\\" + name + "\\");
    EXPECT_EQ(run.PageText(104).size(), 238u);
    ASSERT_TRUE(run.Press(CANCEL_BUTTON));
    DWORD exitCode = 99;
    ASSERT_TRUE(run.WaitExit(20000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
}

// A hand-made image whose product name holds a rejected character: the name
// shows in the texts, and the folder name drops the character instead of
// making the field reject its own start value for ever.
TEST_F(SetupProgramTest, ARejectedCharacterInTheProductNameIsDropped)
{
    WizardRun run;
    ASSERT_TRUE(run.Start("handmade", scratch.path()));
    EXPECT_NE(kit::FindControl(run.Page(), "This program will install Vant|rell on your system.").window, nullptr);
    ASSERT_TRUE(run.Press(NEXT_BUTTON));
    EXPECT_EQ(run.PageText(102), "Vantrell");
    EXPECT_EQ(run.PageText(104), programFiles + "Vantrell\\");
    ASSERT_TRUE(run.Press(CANCEL_BUTTON));
    DWORD exitCode = 99;
    ASSERT_TRUE(run.WaitExit(20000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
}

namespace {

// Presses Browse without waiting: the folder browser is modal inside the
// button's handling.
HWND OpenFolderBrowser(WizardRun& run)
{
    HWND browse = GetDlgItem(run.Page(), 103);
    PostMessageA(run.Page(), WM_COMMAND, MAKEWPARAM(103, BN_CLICKED), reinterpret_cast<LPARAM>(browse));
    for (int i = 0; i < 200; ++i) {
        for (HWND window : kit::TopWindows(run.program.Id(), "#32770"))
            if (window != run.Sheet() && IsWindowVisible(window) &&
                kit::FindControl(window, "Please choose destination directory").window != nullptr)
                return window;
        Sleep(50);
    }
    return nullptr;
}

} // namespace

// Browse opens on the current destination base; Cancel keeps it, choosing
// another folder replaces it.
TEST_F(SetupProgramTest, BrowsePicksTheDestinationBase)
{
    WizardRun run;
    ASSERT_TRUE(run.Start("vantrell", scratch.path()));
    ASSERT_TRUE(run.Press(NEXT_BUTTON));

    HWND browser = OpenFolderBrowser(run);
    ASSERT_NE(browser, nullptr);
    ASSERT_TRUE(kit::PressButton(browser, IDCANCEL));
    ASSERT_TRUE(kit::WaitUntilGone(browser, 10000));
    Sleep(300);
    EXPECT_EQ(run.PageText(104), programFiles + "Vantrell\\");

    browser = OpenFolderBrowser(run);
    ASSERT_NE(browser, nullptr);
    HWND tree = FindWindowExA(browser, nullptr, "SysTreeView32", nullptr);
    ASSERT_NE(tree, nullptr);
    // The browser opened on the destination base; its parent is the drive.
    LRESULT selected = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    LRESULT parent = SendMessageA(tree, TVM_GETNEXTITEM, TVGN_PARENT, selected);
    ASSERT_NE(parent, 0);
    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, parent);
    ASSERT_TRUE(kit::PressButton(browser, IDOK));
    ASSERT_TRUE(kit::WaitUntilGone(browser, 10000));
    Sleep(300);
    EXPECT_EQ(run.PageText(104), programFiles.substr(0, 3) + "Vantrell\\");

    ASSERT_TRUE(run.Press(CANCEL_BUTTON));
    DWORD exitCode = 99;
    ASSERT_TRUE(run.WaitExit(20000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
}
