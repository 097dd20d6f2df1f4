#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "WizardRun.h"

namespace {

const char UNINSTALL_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vantrell 2.0";
const char PRODUCT_DESCRIPTION[] =
    "Vantrell keeps your household accounts in order: budgets, bills and savings goals in one window.";

std::string SpecialFolder(int csidl)
{
    char path[MAX_PATH] = "";
    SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE);
    return path;
}

std::string WindowsDir()
{
    char path[MAX_PATH];
    GetWindowsDirectoryA(path, MAX_PATH);
    return path;
}

std::string RegistryText(const char* value)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<no key>";
    char text[1024] = "";
    DWORD size = sizeof text - 1;
    DWORD type = 0;
    LONG result = RegQueryValueExA(key, value, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && type == REG_SZ ? text : "<no value>";
}

bool KeyExists()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// The recorded command line without quotes around the program's path: Wine
// quotes a path with blanks that it had to search for, Windows keeps it as given.
std::string Unquoted(std::string commandLine)
{
    if (!commandLine.empty() && commandLine[0] == '"') {
        std::size_t close = commandLine.find('"', 1);
        if (close != std::string::npos)
            commandLine = commandLine.substr(1, close - 1) + commandLine.substr(close + 1);
    }
    return commandLine;
}

std::string TextOf(const std::string& path)
{
    std::vector<unsigned char> bytes = ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

// Lines the product recorder wrote: command line, current directory, per start.
std::vector<std::string> RecordedLines(const std::string& path, DWORD waitMs)
{
    for (DWORD waited = 0; !PathExists(path) && waited < waitMs; waited += 100)
        Sleep(100);
    Sleep(200);
    std::vector<std::string> lines;
    std::string text = TextOf(path);
    for (std::size_t at = 0; at < text.size();) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(at, end - at));
        at = end + 1;
    }
    return lines;
}

FILETIME ArchiveTime()
{
    // Every entry of the test images is dated 2024-05-17 10:30:42, local time.
    WORD date = static_cast<WORD>(((2024 - 1980) << 9) | (5 << 5) | 17);
    WORD time = static_cast<WORD>((10 << 11) | (30 << 5) | (42 / 2));
    FILETIME local;
    FILETIME universal;
    DosDateTimeToFileTime(date, time, &local);
    LocalFileTimeToFileTime(&local, &universal);
    return universal;
}

FILETIME LastWriteTime(const std::string& path)
{
    FILETIME written = {};
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        GetFileTime(file, nullptr, nullptr, &written);
        CloseHandle(file);
    }
    return written;
}

} // namespace

class SetupProgramTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        programFiles = SpecialFolder(CSIDL_PROGRAM_FILES) + "\\";
        recordFile = scratch.dir() + "record.txt";
        SetEnvironmentVariableA("KIT_RECORD_FILE", recordFile.c_str());
        CleanUp();
    }
    void TearDown() override { CleanUp(); }

    void CleanUp()
    {
        for (const char* name : {"Vantrell", "Vantrell E2E", "Vantrell Second"}) {
            std::string dir = programFiles + name;
            SetFileAttributesA(dir.c_str(), FILE_ATTRIBUTE_NORMAL);
            DeleteFileA(dir.c_str());
            RemoveTree(dir);
            RemoveTree(SpecialFolder(CSIDL_PROGRAMS) + "\\" + name);
        }
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY);
        DeleteFileA((WindowsDir() + "\\kestrun.exe").c_str());
        DeleteFileA((SpecialFolder(CSIDL_DESKTOPDIRECTORY) + "\\Vantrell.lnk").c_str());
        DeleteFileA(recordFile.c_str());
    }

    // Starts an image and walks to the options page with the given folder name.
    void StartAndGoToOptions(WizardRun& run, const std::string& image, const std::string& folder)
    {
        ASSERT_TRUE(run.Start(image, scratch.path())) << image;
        ASSERT_TRUE(run.Press(NEXT_BUTTON));
        kit::SetEditText(GetDlgItem(run.Page(), 102), folder);
        ASSERT_TRUE(run.Press(NEXT_BUTTON));
        ASSERT_TRUE(run.WaitForButtons("BF")) << run.Buttons();
    }

    // Finish, then the message box that must follow: its caption, text, icon.
    kit::MessageBoxView FinishExpectingMessage(WizardRun& run)
    {
        kit::MessageBoxView box;
        EXPECT_TRUE(run.Press(FINISH_BUTTON));
        EXPECT_TRUE(run.WaitForMessage(box, 60000)) << "no message box";
        return box;
    }

    std::string ExpectedLog(const std::string& folder)
    {
        std::string dir = programFiles + folder + "\\";
        std::string programs = SpecialFolder(CSIDL_PROGRAMS) + "\\" + folder + "\\";
        return "qvUnstallName=Vantrell 2.0\r\n"
               "qvFile=" + dir + "unstall.log\r\n"
               "qvFile=" + dir + "Readme.txt\r\n"
               "qvFile=" + dir + "Vantrell.exe\r\n"
               "qvFile=" + dir + "Docs\\Guide.htm\r\n"
               "qvFile=" + dir + "kestrun.exe\r\n"
               "qvFile=" + SpecialFolder(CSIDL_DESKTOPDIRECTORY) + "\\Vantrell.lnk\r\n"
               "qvFolder=" + programs + "\r\n"
               "qvFile=" + programs + "Vantrell.lnk\r\n"
               "qvFile=" + programs + "Read Me.lnk\r\n"
               "qvFile=" + WindowsDir() + "\\Vantrell.ini\r\n"
               "qvFolder=" + dir + "Cache\\\r\n"
               "qvFolder=" + dir + "\r\n";
    }

    ScratchDir scratch{"setup"};
    std::string programFiles;
    std::string recordFile;
};

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
    EXPECT_TRUE(PathExists(programFiles + "Vantrell E2E\\kestrun.exe")) << "not placed";
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
