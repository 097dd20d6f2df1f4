#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "DialogTemplate.h"
#include "InstallationTestSupport.h"
#include "ProgressWindow.h"
#include "ResourceIds.h"

namespace {

int BarPos(HWND window, int id)
{
    return static_cast<int>(SendDlgItemMessageA(window, id, PBM_GETPOS, 0, 0));
}

std::pair<int, int> BarRange(HWND window, int id)
{
    PBRANGE range = {-1, -1};
    SendDlgItemMessageA(window, id, PBM_GETRANGE, FALSE, reinterpret_cast<LPARAM>(&range));
    return {range.iLow, range.iHigh};
}

std::string ItemText(HWND window, int id)
{
    char text[300] = {};
    GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}

// Brings up template 2010 with its procedure, as the install procedure does.
class ProgressWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InitCommonControls();
        CurrentInstall = &run->info;
        window = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_PROGRESS), nullptr,
                                    ProgressDialogProc, 0);
        ASSERT_NE(window, nullptr);
        run->info.progressWnd = window;
        PumpMessages();
    }
    void TearDown() override
    {
        if (window != nullptr)
            DestroyWindow(window);
        run->info.progressWnd = nullptr;
    }

    ScratchDir scratch{"progress"};
    // Held by pointer: the record's destructor may throw, a fixture's may not.
    std::unique_ptr<TestInstall> run{new TestInstall(scratch.dir() + "unstall.log")};
    HWND window = nullptr;
};

// Counts the messages dispatched to it.
int dispatched = 0;
LRESULT CALLBACK CountingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_APP)
        ++dispatched;
    return DefWindowProcA(window, message, wParam, lParam);
}

// Records what the window shows right after each hook.
struct Shown {
    char hook; // 'T'otal, 'F'ile progress, 'S'tart
    std::string argument;
    int filePos;
    int totalPos;
    std::string currentFile;
};

class RecordingArchive : public WinZipArchive {
public:
    explicit RecordingArchive(const char* path) : WinZipArchive(path) {}

    void OnFileProgress(std::int32_t percent) override
    {
        WinZipArchive::OnFileProgress(percent);
        Record('F', std::to_string(percent));
        HoldForALook(percent);
    }
    void OnTotalProgress(std::int32_t percent) override
    {
        WinZipArchive::OnTotalProgress(percent);
        Record('T', std::to_string(percent));
    }
    void OnFileStart(const char* targetPath) override
    {
        WinZipArchive::OnFileStart(targetPath);
        Record('S', targetPath);
    }

    std::vector<Shown> shown;

private:
    void Record(char hook, const std::string& argument)
    {
        HWND w = CurrentInstall->progressWnd;
        shown.push_back({hook, argument, BarPos(w, IDC_FILE_PROGRESS), BarPos(w, IDC_TOTAL_PROGRESS),
                         ItemText(w, IDC_CURRENT_FILE)});
    }
    // KIT_PROGRESS_HOLD_MS keeps the window up, live, in the middle of the
    // last file, so that it can be looked at (or photographed) during an extraction.
    void HoldForALook(std::int32_t percent)
    {
        const char* hold = std::getenv("KIT_PROGRESS_HOLD_MS");
        if (hold == nullptr || held || percent < 30 || percent >= 100 || shown.back().totalPos < 75)
            return;
        held = true;
        DWORD end = GetTickCount() + static_cast<DWORD>(std::atoi(hold));
        while (static_cast<int>(end - GetTickCount()) > 0) {
            PumpMessages();
            Sleep(20);
        }
    }
    bool held = false;
};

} // namespace

TEST(ProgressTemplate, Dialog2010IsStoredAsSpecified)
{
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(IDD_PROGRESS), reinterpret_cast<LPCSTR>(RT_DIALOG));
    ASSERT_NE(found, nullptr);
    const unsigned char* base = static_cast<const unsigned char*>(LockResource(LoadResource(nullptr, found)));
    DWORD first;
    std::memcpy(&first, base, 4);
    ASSERT_NE(first, 0xFFFF0001u) << "a plain DLGTEMPLATE, not the extended form";
    TemplateReader r{base};
    EXPECT_EQ(r.Dword(), 0x90C008C4u) << "style";
    EXPECT_EQ(r.Dword(), 0u) << "extended style";
    WORD count = r.Word();
    EXPECT_EQ(r.Short(), 30);
    EXPECT_EQ(r.Short(), 5);
    EXPECT_EQ(r.Short(), 193);
    EXPECT_EQ(r.Short(), 86);
    EXPECT_EQ(r.NameOrOrdinal(), "") << "no menu";
    EXPECT_EQ(r.NameOrOrdinal(), "") << "the standard dialog class";
    EXPECT_EQ(r.NameOrOrdinal(), "Installation Progress");
    EXPECT_EQ(r.Word(), 8) << "points";
    EXPECT_EQ(r.NameOrOrdinal(), "MS Sans Serif");

    const ControlTemplate expected[] = {
        {0x50020007, 4, 3, 184, 44, 0xFFFF, "#128", "Current file"},
        {0x50000001, 12, 15, 167, 8, 101, "#130", ""},
        {0x50800000, 12, 28, 167, 12, 102, "msctls_progress32", ""},
        {0x50020007, 4, 51, 184, 30, 0xFFFF, "#128", "Installation"},
        {0x50800000, 12, 63, 167, 12, 103, "msctls_progress32", ""},
    };
    ASSERT_EQ(count, 5);
    for (const ControlTemplate& e : expected) {
        SCOPED_TRACE(e.id);
        r.AlignDword(base);
        EXPECT_EQ(r.Dword(), e.style);
        EXPECT_EQ(r.Dword(), 0u);
        EXPECT_EQ(r.Short(), e.x);
        EXPECT_EQ(r.Short(), e.y);
        EXPECT_EQ(r.Short(), e.cx);
        EXPECT_EQ(r.Short(), e.cy);
        EXPECT_EQ(r.Word(), e.id);
        // #128 button, #130 static; a class name is matched without regard to case
        EXPECT_EQ(Upper(r.NameOrOrdinal()), Upper(e.className));
        EXPECT_EQ(r.NameOrOrdinal(), e.text);
        EXPECT_EQ(r.Word(), 0) << "no creation data";
    }
}

TEST_F(ProgressWindowTest, OpensVisibleWithEmptyBarsOfRange100)
{
    char caption[100];
    GetWindowTextA(window, caption, sizeof caption);
    EXPECT_STREQ(caption, "Installation Progress");
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & WS_SYSMENU, 0) << "no close box";
    for (int id : {IDC_FILE_PROGRESS, IDC_TOTAL_PROGRESS}) {
        EXPECT_EQ(BarRange(window, id), std::make_pair(0, 100)) << id;
        EXPECT_EQ(BarPos(window, id), 0) << id;
    }
    EXPECT_EQ(ItemText(window, IDC_CURRENT_FILE), "");
    // Bar 102 advances by 1 per step.
    SendDlgItemMessageA(window, IDC_FILE_PROGRESS, PBM_STEPIT, 0, 0);
    EXPECT_EQ(BarPos(window, IDC_FILE_PROGRESS), 1);
}

TEST_F(ProgressWindowTest, HooksMoveTheBarsShowThePathAndLogIt)
{
    WinZipArchive archive(FixturePath("installation_example.zip").c_str());

    archive.OnTotalProgress(40);
    EXPECT_EQ(BarPos(window, IDC_TOTAL_PROGRESS), 40);
    archive.OnFileProgress(70);
    EXPECT_EQ(BarPos(window, IDC_FILE_PROGRESS), 70);
    archive.OnFileStart("C:\\Program Files\\Vantrell\\Docs\\Guide.htm");
    EXPECT_EQ(ItemText(window, IDC_CURRENT_FILE), "C:\\Program Files\\Vantrell\\Docs\\Guide.htm");
    archive.OnFileProgress(0);
    EXPECT_EQ(BarPos(window, IDC_FILE_PROGRESS), 0);
    EXPECT_EQ(BarPos(window, IDC_TOTAL_PROGRESS), 40);

    // At 100 the full bar stays up for 100 ms (the tick count may be a
    // tick coarser than that, so the bound allows for it).
    DWORD start = GetTickCount();
    archive.OnTotalProgress(100);
    EXPECT_GE(GetTickCount() - start, 75u);
    EXPECT_EQ(BarPos(window, IDC_TOTAL_PROGRESS), 100);
    // Below 100 there is no pause: five calls take less than the five
    // pauses they would otherwise make.
    start = GetTickCount();
    for (int i = 0; i < 5; ++i)
        archive.OnTotalProgress(99);
    EXPECT_LT(GetTickCount() - start, 450u);
    EXPECT_EQ(BarPos(window, IDC_TOTAL_PROGRESS), 99);

    // Without a window the hooks still log.
    run->info.progressWnd = nullptr;
    archive.OnFileStart("C:\\Program Files\\Vantrell\\Vantrell.exe");
    archive.OnTotalProgress(50);
    EXPECT_EQ(run->CloseAndRead(), DiskLines({"qvFile=C:\\Program Files\\Vantrell\\Docs\\Guide.htm",
                                              "qvFile=C:\\Program Files\\Vantrell\\Vantrell.exe"}));
}

TEST_F(ProgressWindowTest, ProgressHooksDrainTheQueue)
{
    WNDCLASSA counting = {};
    counting.lpfnWndProc = CountingProc;
    counting.hInstance = GetModuleHandleA(nullptr);
    counting.lpszClassName = "KitCounting";
    RegisterClassA(&counting);
    HWND target = CreateWindowA("KitCounting", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(target, nullptr);
    WinZipArchive archive(FixturePath("installation_example.zip").c_str());

    dispatched = 0;
    for (int i = 0; i < 3; ++i)
        PostMessageA(target, WM_APP, 0, 0);
    archive.OnFileProgress(10);
    EXPECT_EQ(dispatched, 3);
    PostMessageA(target, WM_APP, 0, 0);
    archive.OnTotalProgress(10);
    EXPECT_EQ(dispatched, 4);
    MSG msg;
    EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE)) << "the queue is empty afterwards";
    DestroyWindow(target);
}

TEST_F(ProgressWindowTest, ExtractionDrivesTheWindow)
{
    std::string installDir = scratch.dir() + "Vantrell\\";
    std::vector<Shown> shown;
    {
        RecordingArchive archive(FixturePath("installation_example.zip").c_str());
        archive.ExtractAll(installDir.c_str());
        shown = archive.shown;
    }
    const std::string exe = installDir + "Vantrell.exe";
    const std::string uninstaller = installDir + "kestrun.exe";
    const std::string guide = installDir + "Docs\\Guide.htm";

    // Every hook shows its value at once; bar 102 falls back to 0 for each
    // entry, and control 101 keeps the last path over the folder entry.
    std::string currentFile;
    int totalCalls = 0;
    std::vector<std::string> totals;
    for (const Shown& s : shown) {
        SCOPED_TRACE(std::string(1, s.hook) + " " + s.argument);
        if (s.hook == 'T') {
            EXPECT_EQ(s.totalPos, std::stoi(s.argument));
            totals.push_back(s.argument);
            ++totalCalls;
        } else if (s.hook == 'F') {
            EXPECT_EQ(s.filePos, std::stoi(s.argument));
        } else {
            currentFile = s.argument;
        }
        EXPECT_EQ(s.currentFile, currentFile);
    }
    EXPECT_EQ(totals, (std::vector<std::string>{"0", "25", "50", "75", "100"}));
    int partialSteps = 0;
    for (const Shown& s : shown)
        if (s.hook == 'F' && s.argument != "0" && s.argument != "100")
            ++partialSteps;
    EXPECT_GT(partialSteps, 1) << "Vantrell.exe and Guide.htm are written in several blocks";
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().totalPos, 100);
    EXPECT_EQ(shown.back().currentFile, guide);
    EXPECT_EQ(ItemText(window, IDC_CURRENT_FILE), guide);

    // The folder entry Docs/ gets no line.
    EXPECT_EQ(run->CloseAndRead(), DiskLines({"qvFile=" + exe, "qvFile=" + uninstaller, "qvFile=" + guide}));
}
