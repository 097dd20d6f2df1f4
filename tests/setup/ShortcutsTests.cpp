#include <gtest/gtest.h>

#include <windows.h>

#include <objidl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <memory>
#include <string>

#include "InstallationTestSupport.h"
#include "PathHelpers.h"
#include "Shortcuts.h"

namespace {

std::string FolderOf(int csidl)
{
    char path[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, csidl, nullptr, 0, path);
    return path;
}

struct Link {
    bool loaded = false;
    std::string path;
    std::string description;
};

// Reads a saved link back through the shell link object.
Link ReadLink(const std::string& file)
{
    Link result;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return result;
    IPersistFile* persist = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&persist)))) {
        wchar_t wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, file.c_str(), -1, wide, MAX_PATH);
        if (SUCCEEDED(persist->Load(wide, STGM_READ))) {
            char text[MAX_PATH] = {};
            result.loaded = true;
            link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
            result.path = text;
            text[0] = '\0';
            link->GetDescription(text, MAX_PATH);
            result.description = text;
        }
        persist->Release();
    }
    link->Release();
    return result;
}

int CountLinks(const std::string& folder)
{
    int n = 0;
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((folder + "*.lnk").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do
            ++n;
        while (FindNextFileA(h, &found));
        FindClose(h);
    }
    return n;
}

// An installed product with the files the links point to; the desktop link,
// the group and stray links are removed again, since the prefix is shared.
class ShortcutsTest : public ::testing::Test {
protected:
    ShortcutsTest()
        : scratch("shortcuts"), installDir(scratch.dir()), run(new TestInstall(scratch.dir() + "unstall.log")),
          desktop(FolderOf(CSIDL_DESKTOPDIRECTORY) + "\\"), programs(FolderOf(CSIDL_PROGRAMS) + "\\"),
          group(programs + FOLDER + "\\")
    {
    }
    void SetUp() override
    {
        CoInitialize(nullptr);
        ASSERT_NE(desktop, "\\");
        ASSERT_NE(programs, "\\");
        CreateDirectoryA((installDir + "Docs").c_str(), nullptr);
        for (const char* file : {"Docs\\Guide.htm", "Tool.exe", "Never.exe"})
            WriteWholeFile(installDir + file, std::string("x"));
        std::strcpy(run->info.folderName, FOLDER);
        Clean();
    }
    void TearDown() override
    {
        Clean();
        CoUninitialize();
    }
    void Clean()
    {
        DeleteFileA((desktop + "KitTest Desk.lnk").c_str());
        DeleteFileA((programs + "KitTest Guide.lnk").c_str());
        DeleteFileA((programs + ".lnk").c_str());
        RemoveTree(programs + FOLDER);
    }
    void Options(bool desktopShortcut, bool addToMenu)
    {
        run->info.desktopShortcut = desktopShortcut;
        run->info.addToMenu = addToMenu;
    }

    static constexpr const char* FOLDER = "KitTest Shortcuts";
    ScratchDir scratch;
    std::string installDir;
    std::unique_ptr<TestInstall> run; // by pointer: its destructor may throw
    std::string desktop;
    std::string programs;
    std::string group;
};

} // namespace

TEST_F(ShortcutsTest, SpecialFoldersComeWithoutTrailingBackslash)
{
    char path[MAX_PATH];
    ASSERT_TRUE(GetSpecialFolder(CSIDL_DESKTOPDIRECTORY, path));
    EXPECT_EQ(std::string(path) + "\\", desktop);
    ASSERT_TRUE(GetSpecialFolder(CSIDL_PROGRAMS, path));
    EXPECT_EQ(std::string(path) + "\\", programs);
}

TEST_F(ShortcutsTest, BothOptionsOffMakeNothing)
{
    ConfigModule config("config_shortcuts.dll");
    Options(false, false);
    CreateShortcuts(installDir.c_str());
    EXPECT_EQ(run->CloseAndRead(), "");
    EXPECT_FALSE(PathExists(desktop + "KitTest Desk.lnk"));
    EXPECT_FALSE(PathExists(group));
}

TEST_F(ShortcutsTest, DesktopLinkWithEmptyTargetPointsToTheInstallDirectory)
{
    ConfigModule config("config_shortcuts.dll");
    Options(true, false);
    CreateShortcuts(installDir.c_str());
    EXPECT_EQ(run->CloseAndRead(), DiskLines({"qvFile=" + desktop + "KitTest Desk.lnk"}));
    Link link = ReadLink(desktop + "KitTest Desk.lnk");
    ASSERT_TRUE(link.loaded);
    EXPECT_EQ(link.path + (link.path.back() == '\\' ? "" : "\\"), installDir);
    EXPECT_EQ(link.description, "KitTest Desk");
    EXPECT_FALSE(PathExists(group));
}

TEST_F(ShortcutsTest, GroupHoldsThePairsUpToTheFirstEmptyTarget)
{
    ConfigModule config("config_shortcuts.dll");
    Options(false, true);
    CreateShortcuts(installDir.c_str());
    // Installed again: the links are overwritten and the lines written again.
    CreateShortcuts(installDir.c_str());

    std::string lines = DiskLines({"qvFolder=" + group, "qvFile=" + group + "KitTest Guide.lnk",
                                   "qvFile=" + group + ".lnk"});
    EXPECT_EQ(run->CloseAndRead(), lines + lines);

    Link guide = ReadLink(group + "KitTest Guide.lnk");
    ASSERT_TRUE(guide.loaded);
    EXPECT_EQ(guide.path, installDir + "Docs\\Guide.htm");
    EXPECT_EQ(guide.description, "KitTest Guide");
    // Row 10033 is missing: the link has no base name and no description.
    Link unnamed = ReadLink(group + ".lnk");
    ASSERT_TRUE(unnamed.loaded);
    EXPECT_EQ(unnamed.path, installDir + "Tool.exe");
    EXPECT_EQ(unnamed.description, "");
    EXPECT_EQ(CountLinks(group), 2) << "the pair after the gap is not read";
    EXPECT_FALSE(PathExists(desktop + "KitTest Desk.lnk"));
}

TEST_F(ShortcutsTest, GroupWithoutPairsIsStillMadeAndLogged)
{
    ConfigModule config("config_gap.dll");
    Options(false, true);
    CreateShortcuts(installDir.c_str());
    EXPECT_EQ(run->CloseAndRead(), DiskLines({"qvFolder=" + group}));
    EXPECT_TRUE(GetFileAttributesA(group.c_str()) & FILE_ATTRIBUTE_DIRECTORY);
    EXPECT_EQ(CountLinks(group), 0);
}

TEST_F(ShortcutsTest, GroupHoldsAtMost35Links)
{
    ConfigModule config("config_many.dll");
    Options(false, true);
    CreateShortcuts(installDir.c_str());
    EXPECT_EQ(CountLinks(group), 35);
    EXPECT_TRUE(PathExists(group + "KitTest Tool 34.lnk"));
    EXPECT_FALSE(PathExists(group + "KitTest Tool 35.lnk")) << "rows 10100 and 10101 are no pair";
    std::string text = run->CloseAndRead();
    EXPECT_EQ(text.find("qvFolder=" + group + "\r\nqvFile=" + group + "KitTest Tool 00.lnk\r\n"), 0u);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 36);
}

TEST_F(ShortcutsTest, EmptyFolderNamePutsLinksIntoProgramsWithoutListingIt)
{
    ConfigModule config("config_shortcuts.dll");
    Options(false, true);
    run->info.folderName[0] = '\0';
    CreateShortcuts(installDir.c_str());
    EXPECT_EQ(run->CloseAndRead(),
              DiskLines({"qvFile=" + programs + "KitTest Guide.lnk", "qvFile=" + programs + ".lnk"}));
    EXPECT_TRUE(ReadLink(programs + "KitTest Guide.lnk").loaded);
}

TEST_F(ShortcutsTest, PathsThatDoNotFitMakeNoLinkAndNoLine)
{
    ConfigModule config("config_shortcuts.dll");
    ASSERT_TRUE(CreateDirectoryChain(group.c_str()));
    // group + "KitTest Guide.lnk" exactly 259 characters fits; one more does not.
    std::string deep = group + std::string(259 - group.size() - 17 - 1, 'd') + "\\";
    ASSERT_EQ((deep + "KitTest Guide.lnk").size(), 259u);
    ASSERT_TRUE(CreateDirectoryA(deep.c_str(), nullptr));
    EXPECT_TRUE(CreateShortcut(deep.c_str(), installDir.c_str(), 10030));
    EXPECT_TRUE(PathExists(deep + "KitTest Guide.lnk"));

    std::string deeper = group + std::string(259 - group.size() - 17, 'd') + "\\";
    EXPECT_FALSE(CreateShortcut(deeper.c_str(), installDir.c_str(), 10030)) << "link path of 260";
    std::string longTarget = installDir + std::string(259 - installDir.size() - 14, 't') + "\\";
    EXPECT_FALSE(CreateShortcut(group.c_str(), longTarget.c_str(), 10030)) << "target path of 260";
    EXPECT_FALSE(PathExists(group + "KitTest Guide.lnk"));

    EXPECT_EQ(run->CloseAndRead(), DiskLines({"qvFile=" + deep + "KitTest Guide.lnk"}));
}

TEST_F(ShortcutsTest, FailedSaveIsStillLogged)
{
    ConfigModule config("config_shortcuts.dll");
    std::string missing = installDir + "no such folder\\";
    EXPECT_FALSE(CreateShortcut(missing.c_str(), installDir.c_str(), 10030));
    EXPECT_FALSE(PathExists(missing + "KitTest Guide.lnk"));
    EXPECT_EQ(run->CloseAndRead(), DiskLines({"qvFile=" + missing + "KitTest Guide.lnk"}));
}
