#include <gtest/gtest.h>

#include "Driver.h"

namespace {

constexpr DWORD WAIT_MS = 15000;

std::string ProbeLine(const std::string& args)
{
    return "\"" + kit::WindowsPath(PROBE_EXE) + "\" " + args;
}

struct BoxCase {
    const char* style; // hex, as the probe takes it
    kit::IconKind icon;
    const char* answer; // button text
    DWORD exitCode;
};

class MessageBoxTest : public ::testing::TestWithParam<BoxCase> {};

TEST_P(MessageBoxTest, ReadsCaptionTextIconAndAnswers)
{
    const BoxCase& c = GetParam();
    kit::Program probe;
    ASSERT_TRUE(probe.Start(kit::WindowsPath(PROBE_EXE),
                            ProbeLine(std::string("box ") + c.style + " \"Probe caption\" \"First.  Second.\"")));
    kit::MessageBoxView box;
    ASSERT_TRUE(kit::WaitForMessageBox(probe, box, WAIT_MS));
    EXPECT_EQ(box.caption, "Probe caption");
    EXPECT_EQ(box.text, "First.  Second.");
    EXPECT_STREQ(kit::IconName(box.icon), kit::IconName(c.icon));
    ASSERT_TRUE(kit::PressButton(box.window, c.answer)) << kit::ButtonTexts(box);
    DWORD code = 0;
    ASSERT_TRUE(probe.WaitExit(WAIT_MS, &code));
    EXPECT_EQ(code, c.exitCode);
}

INSTANTIATE_TEST_SUITE_P(Styles, MessageBoxTest,
                         ::testing::Values(BoxCase{"24", kit::IconKind::Question, "&No", IDNO},
                                           BoxCase{"24", kit::IconKind::Question, "Yes", IDYES},
                                           BoxCase{"40", kit::IconKind::Information, "OK", IDOK},
                                           BoxCase{"30", kit::IconKind::Warning, "OK", IDOK},
                                           BoxCase{"10", kit::IconKind::Error, "OK", IDOK},
                                           BoxCase{"0", kit::IconKind::None, "OK", IDOK}));

TEST(Driver, ListsControlsAndTypesIntoAnEdit)
{
    kit::Program probe;
    ASSERT_TRUE(probe.Start(kit::WindowsPath(PROBE_EXE), ProbeLine("dialog")));
    HWND dialog = kit::WaitForTopWindow(probe, "#32770", "Probe", WAIT_MS);
    ASSERT_NE(dialog, nullptr);
    kit::Control edit = kit::FindControl(dialog, 101);
    ASSERT_NE(edit.window, nullptr);
    EXPECT_EQ(edit.className, "Edit");
    EXPECT_TRUE(edit.style & ES_AUTOHSCROLL);
    EXPECT_EQ(kit::FindControl(dialog, "Number:").id, 102);
    EXPECT_EQ(kit::FindControl(dialog, IDOK).text, "OK");
    EXPECT_EQ(kit::ListControls(dialog).size(), 5u);
    EXPECT_FALSE(kit::LooksLikeMessageBox(dialog));

    ASSERT_TRUE(kit::TypeText(edit.window, "42"));
    EXPECT_EQ(kit::WindowText(edit.window), "42");
    ASSERT_TRUE(kit::PressButton(dialog, "OK"));
    DWORD code = 0;
    ASSERT_TRUE(probe.WaitExit(WAIT_MS, &code));
    EXPECT_EQ(code, 42u);
}

TEST(Driver, EnterInAnEditPressesTheDefaultButton)
{
    kit::Program probe;
    ASSERT_TRUE(probe.Start(kit::WindowsPath(PROBE_EXE), ProbeLine("dialog")));
    HWND dialog = kit::WaitForTopWindow(probe, "#32770", "Probe", WAIT_MS);
    ASSERT_NE(dialog, nullptr);
    HWND edit = kit::FindControl(dialog, 101).window;
    ASSERT_TRUE(kit::SetEditText(edit, "7"));
    ASSERT_TRUE(kit::SendKey(edit, VK_RETURN));
    DWORD code = 0;
    ASSERT_TRUE(probe.WaitExit(WAIT_MS, &code));
    EXPECT_EQ(code, 7u);
}

TEST(Driver, ChecksBoxesAndTellsOwnedMessageBoxesFromTheirDialog)
{
    kit::Program probe;
    ASSERT_TRUE(probe.Start(kit::WindowsPath(PROBE_EXE), ProbeLine("dialog")));
    HWND dialog = kit::WaitForTopWindow(probe, "#32770", "Probe", WAIT_MS);
    ASSERT_NE(dialog, nullptr);
    HWND check = kit::FindControl(dialog, "More").window;
    ASSERT_NE(check, nullptr);
    EXPECT_FALSE(kit::IsChecked(check));
    EXPECT_TRUE(kit::IsEnabled(kit::FindControl(dialog, IDOK)));
    ASSERT_TRUE(kit::SetCheck(check, true));

    // The owned box has the dialog's caption; the dialog itself is no message box.
    ASSERT_TRUE(kit::PressButton(dialog, IDCANCEL));
    kit::MessageBoxView box;
    ASSERT_TRUE(kit::WaitForMessageBox(probe, box, WAIT_MS));
    EXPECT_NE(box.window, dialog);
    EXPECT_EQ(box.text, "Quit?");
    EXPECT_FALSE(IsWindowEnabled(dialog)) << "a modal box disables its owner";
    ASSERT_TRUE(kit::PressButton(box.window, "No"));
    ASSERT_TRUE(kit::WaitUntilGone(box.window, WAIT_MS));

    ASSERT_TRUE(kit::SetEditText(kit::FindControl(dialog, 101).window, "5"));
    ASSERT_TRUE(kit::PressButton(dialog, "OK"));
    DWORD code = 0;
    ASSERT_TRUE(probe.WaitExit(WAIT_MS, &code));
    EXPECT_EQ(code, 1005u);
}

TEST(Driver, CapturesTheExitCode)
{
    kit::Program probe;
    ASSERT_TRUE(probe.Start(kit::WindowsPath(PROBE_EXE), ProbeLine("exit 5")));
    DWORD code = 0;
    ASSERT_TRUE(probe.WaitExit(WAIT_MS, &code));
    EXPECT_EQ(code, 5u);
    EXPECT_EQ(kit::WaitForTopWindow(probe, "#32770", nullptr, WAIT_MS), nullptr) << "ended programs are not waited for";
}

TEST(Driver, KillTreeEndsTheProgramsItStarted)
{
    DWORD childPid = 0;
    {
        kit::Program probe;
        ASSERT_TRUE(probe.Start(kit::WindowsPath(PROBE_EXE), ProbeLine("parent")));
        HWND childBox = kit::WaitForTopWindow(0, "#32770", "Child", WAIT_MS);
        ASSERT_NE(childBox, nullptr);
        GetWindowThreadProcessId(childBox, &childPid);
        ASSERT_NE(childPid, probe.Id());
        probe.KillTree();
        EXPECT_FALSE(probe.Running());
    }
    HANDLE child = OpenProcess(SYNCHRONIZE, FALSE, childPid);
    if (child != nullptr) {
        EXPECT_EQ(WaitForSingleObject(child, WAIT_MS), WAIT_OBJECT_0);
        CloseHandle(child);
    }
}

} // namespace
