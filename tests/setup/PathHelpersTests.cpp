#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "InstallInfo.h"
#include "PathHelpers.h"
#include "TestSupport.h"

TEST(AppendBackslash, AddsOneBackslashOnlyWhenMissing)
{
    struct Case {
        const char* in;
        const char* out;
    } cases[] = {
        {"C:\\Tools", "C:\\Tools\\"},
        {"C:\\Tools\\", "C:\\Tools\\"},
        {"C:\\", "C:\\"},
        {"", ""}, // an empty path names no directory and stays empty
    };
    for (const Case& c : cases) {
        char path[PATH_CAPACITY];
        std::strcpy(path, c.in);
        EXPECT_TRUE(AppendBackslash(path));
        EXPECT_STREQ(path, c.out);
    }
}

TEST(AppendBackslash, RefusesWhenTheBufferIsFull)
{
    char path[PATH_CAPACITY];
    std::memset(path, 'a', 259);
    path[259] = '\0';
    EXPECT_FALSE(AppendBackslash(path));
    EXPECT_EQ(std::strlen(path), 259u);
    path[258] = '\\';
    EXPECT_TRUE(AppendBackslash(path));
}

TEST(ComposeInstallDir, JoinsBaseAndFolderWithSingleBackslashes)
{
    struct Case {
        std::string base;
        std::string folder;
        bool fits;
        std::string out;
    } cases[] = {
        {"C:\\Program Files", "Tools", true, "C:\\Program Files\\Tools\\"},
        {"C:\\", "Tools", true, "C:\\Tools\\"},
        {"C:\\Program Files", "", true, "C:\\Program Files\\"},
        {"C:\\Base\\", "Tools\\", true, "C:\\Base\\Tools\\"},
        {"", "Tools", true, "Tools\\"},
        // 248 + 1 + 9 + 1 = 259 characters: the longest that fits
        {"C:\\" + std::string(245, 'b'), "Vantrell1", true, "C:\\" + std::string(245, 'b') + "\\Vantrell1\\"},
        {"C:\\" + std::string(245, 'b'), "Vantrell12", false, ""},
        {"C:\\" + std::string(255, 'b'), std::string(59, 'n'), false, ""},
    };
    InstallInfo info;
    for (const Case& c : cases) {
        std::strcpy(info.destBase, c.base.c_str());
        std::strcpy(info.folderName, c.folder.c_str());
        char out[PATH_CAPACITY];
        std::memset(out, 'x', sizeof out);
        EXPECT_EQ(ComposeInstallDir(info, out), c.fits) << c.base << " + " << c.folder;
        EXPECT_EQ(std::string(out), c.out);
    }
}

class CreateDirectoryChainTest : public ::testing::Test {
protected:
    ScratchDir scratch{"chain"};
};

TEST_F(CreateDirectoryChainTest, CreatesEveryBackslashTerminatedPrefix)
{
    std::string a = scratch.dir() + "A\\";
    EXPECT_TRUE(CreateDirectoryChain((a + "B\\").c_str()));
    EXPECT_TRUE(PathExists(a + "B"));

    EXPECT_TRUE(CreateDirectoryChain((a + "C\\D\\file.txt").c_str()));
    EXPECT_TRUE(PathExists(a + "C\\D"));
    EXPECT_FALSE(PathExists(a + "C\\D\\file.txt"));

    EXPECT_TRUE(CreateDirectoryChain((a + "B\\").c_str())) << "existing directories are fine";
    EXPECT_TRUE(CreateDirectoryChain("no-backslash-here"));
    EXPECT_FALSE(PathExists("no-backslash-here"));
}

TEST_F(CreateDirectoryChainTest, StopsAtAFileInTheWay)
{
    std::string blocker = scratch.dir() + "A";
    WriteWholeFile(blocker, std::string("file"));
    EXPECT_FALSE(CreateDirectoryChain((blocker + "\\B\\").c_str()));
    EXPECT_FALSE(PathExists(blocker + "\\B"));
}

TEST_F(CreateDirectoryChainTest, RefusesAPathTooLongForItsBuffer)
{
    std::string longPath = scratch.dir() + "L\\" + std::string(300, 'x') + "\\";
    EXPECT_FALSE(CreateDirectoryChain(longPath.c_str()));
    EXPECT_FALSE(PathExists(scratch.dir() + "L"));
}
