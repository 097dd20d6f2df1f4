#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "Uninstall.h"

namespace {

LogCursor Over(const std::string& text)
{
    return LogCursor{text.data(), text.data(), text.data() + text.size(), 0};
}

TEST(Passes, CountWhatStaysAndSkipLinesHoldingNul)
{
    ScratchDir scratch("passes");
    const std::string d = scratch.dir();
    for (const char* name : {"a", "b", "locked", "x"})
        WriteWholeFile(d + name, std::string("data"));
    SetFileAttributesA((d + "locked").c_str(), FILE_ATTRIBUTE_READONLY);
    CreateDirectoryA((d + "empty").c_str(), nullptr);
    CreateDirectoryA((d + "full").c_str(), nullptr);
    WriteWholeFile(d + "full\\kept", std::string("data"));

    // "x" must survive: the line naming it is cut short by a NUL.
    std::string log = "qvUnstallName=P\nqvFile=" + d + "a\nQVFILE=" + d + "b\nqvFile=" + d + "locked\nqvFile=" + d +
                      "gone\nqvFolder=" + d + "empty\nqvFolder=" + d + "full\nqvFolder=" + d + "nothing\nqvFile=" +
                      d + "x" + std::string(1, '\0') + "tail\n";
    LogCursor cursor = Over(log);
    cursor.next = nullptr;
    EXPECT_EQ(DeleteLoggedFiles(cursor), 1) << "the read-only file";
    EXPECT_FALSE(PathExists(d + "a"));
    EXPECT_FALSE(PathExists(d + "b"));
    EXPECT_TRUE(PathExists(d + "locked"));
    EXPECT_TRUE(PathExists(d + "x"));
    EXPECT_TRUE(PathExists(d + "empty")) << "folders wait for their own pass";

    EXPECT_EQ(RemoveLoggedFolders(cursor), 1) << "the folder that still holds a file";
    EXPECT_FALSE(PathExists(d + "empty"));
    EXPECT_TRUE(PathExists(d + "full\\kept"));
}

TEST(Passes, AnOverlongLineIsCutAndTheNextLineReadNormally)
{
    ScratchDir scratch("long");
    const std::string d = scratch.dir();
    WriteWholeFile(d + "next", std::string("data"));
    std::string log = "qvUnstallName=P\nqvFile=" + d + std::string(400, 'n') + "\nqvFile=" + d + "next\n";
    LogCursor cursor = Over(log);
    EXPECT_EQ(DeleteLoggedFiles(cursor), 0);
    EXPECT_FALSE(PathExists(d + "next"));
}

} // namespace
