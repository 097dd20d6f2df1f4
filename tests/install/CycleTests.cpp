// The whole cycle: install through the wizard, then uninstall with the
// command line the shell's list of programs would run.
#include "SetupTestSupport.h"

namespace {

struct Answer {
    const char* caption;
    const char* text;
    kit::IconKind icon;
    int button;
};

// Runs "UninstallString" as the shell would and answers the boxes in order.
void Uninstall(const std::vector<Answer>& answers)
{
    std::string command = RegistryText("UninstallString");
    kit::Program program;
    ASSERT_TRUE(program.Start("", command)) << command;
    for (const Answer& answer : answers) {
        kit::MessageBoxView box;
        ASSERT_TRUE(kit::WaitForMessageBox(program, box, 30000)) << "waiting for: " << answer.text;
        EXPECT_EQ(box.caption, answer.caption);
        EXPECT_EQ(box.text, answer.text);
        EXPECT_EQ(box.icon, answer.icon) << kit::IconName(box.icon) << " for " << answer.text;
        ASSERT_TRUE(kit::PressButton(box.window, answer.button));
        ASSERT_TRUE(kit::WaitUntilGone(box.window, 10000));
    }
    DWORD exitCode = 99;
    ASSERT_TRUE(program.WaitExit(30000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
}

const Answer CONFIRM = {"Uninstall", "Remove Vantrell 2.0 now?", kit::IconKind::Question, IDYES};
const Answer DONE = {"Vantrell 2.0", "Program is now uninstalled.", kit::IconKind::Warning, IDOK};
const Answer FOLDERS_LEFT = {"Uninstall", "Not all folders could be uninstalled.", kit::IconKind::Information, IDOK};

} // namespace

TEST_F(SetupProgramTest, UninstallingAfterInstallingLeavesNothingBehind)
{
    // Both shortcut options and extra rows, the subfolder among them.
    InstallThroughWizard("cycle", "Vantrell E2E");
    std::string dir = programFiles + "Vantrell E2E";
    std::string group = SpecialFolder(CSIDL_PROGRAMS) + "\\Vantrell E2E";
    std::string desktopLink = SpecialFolder(CSIDL_DESKTOPDIRECTORY) + "\\Vantrell.lnk";
    ASSERT_TRUE(PathExists(dir + "\\Docs\\Guide.htm"));
    ASSERT_TRUE(PathExists(group + "\\Read Me.lnk"));
    ASSERT_TRUE(PathExists(desktopLink));

    Uninstall({CONFIRM, DONE});
    EXPECT_FALSE(PathExists(dir)) << "install directory, its files and subfolder";
    EXPECT_FALSE(PathExists(group));
    EXPECT_FALSE(PathExists(desktopLink));
    EXPECT_FALSE(KeyExists());
    EXPECT_TRUE(PathExists(WindowsDir() + "\\kestrun.exe")) << "the shared uninstaller stays";
}

TEST_F(SetupProgramTest, UninstallingKeepsFilesTheUserAdded)
{
    InstallThroughWizard("cycle", "Vantrell E2E");
    std::string dir = programFiles + "Vantrell E2E";
    WriteWholeFile(dir + "\\My notes.txt", std::string("mine"));

    Uninstall({CONFIRM, FOLDERS_LEFT, DONE});
    EXPECT_TRUE(PathExists(dir + "\\My notes.txt"));
    EXPECT_FALSE(PathExists(dir + "\\Readme.txt"));
    EXPECT_FALSE(PathExists(dir + "\\Docs"));
    EXPECT_FALSE(PathExists(dir + "\\unstall.log"));
    EXPECT_FALSE(PathExists(SpecialFolder(CSIDL_PROGRAMS) + "\\Vantrell E2E"));
    EXPECT_FALSE(KeyExists());
}
