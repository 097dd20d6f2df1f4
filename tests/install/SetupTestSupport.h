// What the setup program tests share: reading the results of an install and
// a fixture that cleans up everything an install leaves behind.
#pragma once

#include <gtest/gtest.h>

#include <shlobj.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "WizardRun.h"

namespace setup_tests {

constexpr char UNINSTALL_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Vantrell 2.0";
constexpr char PRODUCT_DESCRIPTION[] =
    "Vantrell keeps your household accounts in order: budgets, bills and savings goals in one window.";

inline std::string SpecialFolder(int csidl)
{
    char path[MAX_PATH] = "";
    SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE);
    return path;
}

inline std::string WindowsDir()
{
    char path[MAX_PATH];
    GetWindowsDirectoryA(path, MAX_PATH);
    return path;
}

inline std::string RegistryText(const char* value)
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

inline bool KeyExists()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, UNINSTALL_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// The recorded command line without quotes around the program's path: Wine
// quotes a path with blanks that it had to search for, Windows keeps it as given.
inline std::string Unquoted(std::string commandLine)
{
    if (!commandLine.empty() && commandLine[0] == '"') {
        std::size_t close = commandLine.find('"', 1);
        if (close != std::string::npos)
            commandLine = commandLine.substr(1, close - 1) + commandLine.substr(close + 1);
    }
    return commandLine;
}

inline std::string TextOf(const std::string& path)
{
    std::vector<unsigned char> bytes = ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

// Lines the product recorder wrote: command line, current directory, per start.
inline std::vector<std::string> RecordedLines(const std::string& path, DWORD waitMs)
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

inline FILETIME ArchiveTime()
{
    // Every entry of the test images is dated 2024-05-17 10:30:42 (the
    // builder's SOURCE_DATE_EPOCH), taken as local time.
    WORD date = static_cast<WORD>(((2024 - 1980) << 9) | (5 << 5) | 17);
    WORD time = static_cast<WORD>((10 << 11) | (30 << 5) | (42 / 2));
    FILETIME local;
    FILETIME universal;
    DosDateTimeToFileTime(date, time, &local);
    LocalFileTimeToFileTime(&local, &universal);
    return universal;
}

inline FILETIME LastWriteTime(const std::string& path)
{
    FILETIME written = {};
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        GetFileTime(file, nullptr, nullptr, &written);
        CloseHandle(file);
    }
    return written;
}

} // namespace setup_tests

using namespace setup_tests;

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

    // Installs an image through the wizard into folder, the options as they stand.
    void InstallThroughWizard(const std::string& image, const std::string& folder)
    {
        WizardRun run;
        StartAndGoToOptions(run, image, folder);
        ASSERT_TRUE(run.Press(FINISH_BUTTON));
        DWORD exitCode = 99;
        ASSERT_TRUE(run.WaitExit(120000, &exitCode));
        ASSERT_EQ(exitCode, 0u);
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
               "qvFile=" + dir + "Docs\\Guide.htm\r\n"
               "qvFile=" + dir + "Readme.txt\r\n"
               "qvFile=" + dir + "Vantrell.exe\r\n"
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

