#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "InstallInfo.h"
#include "TestSupport.h"

TEST(InstallInfo, StartsWithItsDefaults)
{
    InstallInfo info;
    EXPECT_EQ(info.addToMenu, 1);
    EXPECT_EQ(info.desktopShortcut, 1);
    EXPECT_EQ(info.installed, 0);
    EXPECT_EQ(info.sheetWnd, nullptr);
    EXPECT_EQ(info.progressWnd, nullptr);
    EXPECT_EQ(info.archive, nullptr);
    EXPECT_FALSE(info.logFile.IsOpen());
    EXPECT_STREQ(info.destBase, "");
    EXPECT_STREQ(info.folderName, "");
}

TEST(InstallInfo, EndingTheRecordClosesTheLog)
{
    ScratchDir scratch("info");
    std::string log = scratch.dir() + "unstall.log";
    {
        InstallInfo info;
        info.logFile.Open(log.c_str(), "w+t");
        std::fputs("qvUnstallName=X\n", info.logFile.stream);
        EXPECT_FALSE(DeleteFileA(log.c_str())) << "still open";
    }
    EXPECT_EQ(ReadWholeFile(log).size(), 17u);
    EXPECT_TRUE(DeleteFileA(log.c_str()));
}

// The registry value is replaced for each case and put back afterwards.
class DefaultDestinationTest : public ::testing::Test {
protected:
    static constexpr const char* KEY = "Software\\Microsoft\\Windows\\CurrentVersion";

    void SetUp() override
    {
        ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, KEY, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
        DWORD size = sizeof saved;
        hadValue = RegQueryValueExA(key, "ProgramFilesDir", nullptr, &savedType, saved, &size) == ERROR_SUCCESS;
        savedSize = size;
        GetCurrentDirectoryA(MAX_PATH, currentDir);
        CurrentInstall = &info;
    }
    void TearDown() override
    {
        if (hadValue)
            RegSetValueExA(key, "ProgramFilesDir", 0, savedType, saved, savedSize);
        else
            RegDeleteValueA(key, "ProgramFilesDir");
        RegCloseKey(key);
        SetCurrentDirectoryA(currentDir);
        CurrentInstall = nullptr;
    }
    void SetValue(DWORD type, const std::vector<unsigned char>& bytes)
    {
        RegSetValueExA(key, "ProgramFilesDir", 0, type, bytes.data(), static_cast<DWORD>(bytes.size()));
    }
    static std::vector<unsigned char> Bytes(const std::string& text, bool terminated)
    {
        std::vector<unsigned char> bytes(text.begin(), text.end());
        if (terminated)
            bytes.push_back(0);
        return bytes;
    }

    HKEY key = nullptr;
    bool hadValue = false;
    DWORD savedType = 0;
    DWORD savedSize = 0;
    unsigned char saved[512] = {};
    char currentDir[MAX_PATH] = {};
    // One record for the whole test program, as the setup program has one for its run.
    static InstallInfo& SharedInfo()
    {
        static InstallInfo* record = new InstallInfo;
        return *record;
    }
    InstallInfo& info = SharedInfo();
};

TEST_F(DefaultDestinationTest, TakesAStringValueOfUpTo199Characters)
{
    SetValue(REG_SZ, Bytes("D:\\Programs", true));
    ReadDefaultDestination();
    EXPECT_STREQ(info.destBase, "D:\\Programs");

    std::string longest = "D:\\" + std::string(196, 'p');
    SetValue(REG_SZ, Bytes(longest, true));
    ReadDefaultDestination();
    EXPECT_EQ(std::string(info.destBase), longest);

    SetValue(REG_SZ, Bytes("D:\\Unterminated", false));
    ReadDefaultDestination();
    EXPECT_STREQ(info.destBase, "D:\\Unterminated");
}

TEST_F(DefaultDestinationTest, OtherwiseFallsBackToTheCurrentDirectory)
{
    struct Case {
        const char* what;
        DWORD type;
        std::vector<unsigned char> bytes;
        bool remove;
    } cases[] = {
        {"absent", REG_SZ, {}, true},
        {"200 bytes without a terminator", REG_SZ, Bytes("D:\\" + std::string(197, 'p'), false), false},
        {"longer than 199 characters", REG_SZ, Bytes("D:\\" + std::string(230, 'p'), true), false},
        {"not a string", REG_DWORD, {1, 2, 3, 4}, false},
        {"binary", REG_BINARY, Bytes("D:\\Binary", true), false},
        {"empty", REG_SZ, Bytes("", true), false},
    };
    for (const Case& c : cases) {
        if (c.remove)
            RegDeleteValueA(key, "ProgramFilesDir");
        else
            SetValue(c.type, c.bytes);
        std::memset(info.destBase, 'x', DEST_BASE_CAPACITY);
        ReadDefaultDestination();
        EXPECT_STREQ(info.destBase, currentDir) << c.what;
    }
}

TEST_F(DefaultDestinationTest, ACurrentDirectoryOfMoreThan199CharactersIsNotTaken)
{
    ScratchDir scratch("deep");
    std::string deep = scratch.path();
    while (deep.size() < 230) {
        deep += "\\" + std::string(40, 'd');
        CreateDirectoryA(deep.c_str(), nullptr);
    }
    ASSERT_TRUE(SetCurrentDirectoryA(deep.c_str()));
    RegDeleteValueA(key, "ProgramFilesDir");
    ReadDefaultDestination();
    EXPECT_STREQ(info.destBase, "");
    SetCurrentDirectoryA(currentDir);
}
