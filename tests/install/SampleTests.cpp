// The sample product of examples/: its setup image, built by mksetup, is
// installed through the wizard and uninstalled again, with screenshots of
// every wizard page left in the build tree. Also the main job's headless run.
#include "SetupTestSupport.h"

namespace {

const char SAMPLE_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tidewell 1.0";

std::string SampleCommand()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SAMPLE_KEY, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "";
    char text[1024] = "";
    DWORD size = sizeof text - 1;
    RegQueryValueExA(key, "UninstallString", nullptr, nullptr, reinterpret_cast<BYTE*>(text), &size);
    RegCloseKey(key);
    return text;
}

void AnswerBox(kit::Program& program, const char* text, int button)
{
    kit::MessageBoxView box;
    ASSERT_TRUE(kit::WaitForMessageBox(program, box, 30000)) << "waiting for: " << text;
    EXPECT_EQ(box.text, text);
    ASSERT_TRUE(kit::PressButton(box.window, button));
    ASSERT_TRUE(kit::WaitUntilGone(box.window, 10000));
}

} // namespace

TEST(SampleProduct, InstallsAndUninstallsHeadless)
{
    std::string image = EnvironmentValue("KIT_SAMPLE_IMAGE");
    if (image.empty() || !PathExists(image))
        GTEST_SKIP() << "no sample image (scripts/build makes it)";
    std::string dir = SpecialFolder(CSIDL_PROGRAM_FILES) + "\\Tidewell";
    RemoveTree(dir);

    WizardRun run;
    ASSERT_TRUE(run.program.Start(image, "\"" + image + "\""));
    run.sheet = kit::WaitForTopWindow(run.program, "#32770", nullptr, 20000);
    ASSERT_NE(run.sheet, nullptr);
    ASSERT_TRUE(run.WaitForButtons("N"));
    SaveScreenshot("sample-1-welcome");
    ASSERT_TRUE(run.Press(NEXT_BUTTON));
    EXPECT_EQ(run.PageText(104), dir + "\\");
    SaveScreenshot("sample-2-destination");
    ASSERT_TRUE(run.Press(NEXT_BUTTON));
    SaveScreenshot("sample-3-options");
    ASSERT_TRUE(run.Press(FINISH_BUTTON));
    DWORD exitCode = 99;
    ASSERT_TRUE(run.WaitExit(120000, &exitCode));
    EXPECT_EQ(exitCode, 0u);
    EXPECT_TRUE(PathExists(dir + "\\Tidewell.exe"));
    EXPECT_TRUE(PathExists(dir + "\\data\\harbours\\tides.csv"));
    Sleep(1500);
    SaveScreenshot("sample-4-started");
    run.program.KillTree(); // the started sample closes itself only after a while

    std::string command = SampleCommand();
    ASSERT_FALSE(command.empty());
    kit::Program uninstaller;
    ASSERT_TRUE(uninstaller.Start("", command)) << command;
    AnswerBox(uninstaller, "Remove Tidewell 1.0 now?", IDYES);
    AnswerBox(uninstaller, "Program is now uninstalled.", IDOK);
    ASSERT_TRUE(uninstaller.WaitExit(30000, &exitCode));
    EXPECT_FALSE(PathExists(dir));
    EXPECT_TRUE(SampleCommand().empty());
}
