// Drives Windows GUI programs from a test: starts a program with a command
// line, finds its top-level windows, reads and answers its message boxes and
// dialogs, and ends the whole process tree when a test gives up on it.
// Every wait takes a timeout in milliseconds; nothing waits unbounded.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kit {

// One started program and every process it starts (they share a job).
// Destroying a Program that still runs ends its whole tree.
class Program {
public:
    Program() = default;
    ~Program();
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    // commandLine is passed as is, so it must start with the program's name
    // as the shell would write it (quoted or not). An empty exePath lets
    // Windows take the program from the command line itself, as the shell
    // does with a registered command. workDir may be empty.
    bool Start(const std::string& exePath, const std::string& commandLine, const std::string& workDir = "");
    DWORD Id() const { return pid_; }
    bool Running() const;
    // True once the program has ended within timeoutMs; its exit code then in *exitCode.
    bool WaitExit(DWORD timeoutMs, DWORD* exitCode = nullptr);
    // Ends the program and everything it started, and waits (bounded) for it.
    void KillTree();

private:
    HANDLE process_ = nullptr;
    HANDLE job_ = nullptr;
    DWORD pid_ = 0;
};

// Top-level windows of process pid (0: any process) whose class and title
// match (null: any), in Z order.
std::vector<HWND> TopWindows(DWORD pid, const char* className, const char* title = nullptr);
// Polls until such a window is visible; null on timeout, or as soon as
// program has ended.
HWND WaitForTopWindow(const Program& program, const char* className, const char* title, DWORD timeoutMs);
HWND WaitForTopWindow(DWORD pid, const char* className, const char* title, DWORD timeoutMs);
// True once window no longer exists.
bool WaitUntilGone(HWND window, DWORD timeoutMs);

// Text of a window of any process (WM_GETTEXT, bounded by a send timeout).
std::string WindowText(HWND window);
std::string ClassOf(HWND window);

struct Control {
    HWND window;
    int id;
    std::string className;
    std::string text;
    LONG style;
};
// Every child of dialog (nested ones too), in Z order.
std::vector<Control> ListControls(HWND dialog);
// The child with that id or text ("&" accelerators ignored); window null when none.
Control FindControl(HWND dialog, int id);
Control FindControl(HWND dialog, const std::string& text);

// Presses a button as a click would: its owner gets BN_CLICKED. False when
// the dialog has no such button.
bool PressButton(HWND dialog, int id);
bool PressButton(HWND dialog, const std::string& text);

// Check boxes and radio buttons: sets or reads the check state (BM_SETCHECK,
// BM_GETCHECK), as the dialog reads it when it is left.
bool SetCheck(HWND button, bool checked);
bool IsChecked(HWND button);
bool IsEnabled(const Control& control);

// Replaces an edit control's text; types text one character at a time
// (WM_CHAR); posts a key press and release.
bool SetEditText(HWND edit, const std::string& text);
bool TypeText(HWND edit, const std::string& text);
bool SendKey(HWND window, UINT virtualKey);

// A message box ("#32770") as the user sees it.
enum class IconKind { None, Question, Information, Warning, Error, Unknown };
const char* IconName(IconKind kind);

struct MessageBoxView {
    HWND window = nullptr;
    std::string caption;
    std::string text;
    IconKind icon = IconKind::None;
    std::vector<Control> buttons;
};
// Reads caption, text, buttons and icon. The icon is recognised by its
// pixels on screen against the system icons, so the box must be visible;
// reading waits up to iconTimeoutMs for it to be painted.
bool ReadMessageBox(HWND box, MessageBoxView& view, DWORD iconTimeoutMs = 3000);
// A visible, enabled "#32770" holding only static texts and buttons: a
// message box, not a dialog or wizard (which a modal box disables anyway).
bool LooksLikeMessageBox(HWND window);
// Waits for the next visible message box of program and reads it.
bool WaitForMessageBox(const Program& program, MessageBoxView& view, DWORD timeoutMs);
// Same, of any process (pid 0) or a given one.
bool WaitForMessageBox(DWORD pid, MessageBoxView& view, DWORD timeoutMs);
// The buttons' texts joined by "|", for messages in test failures.
std::string ButtonTexts(const MessageBoxView& view);

// A host path as the Windows programs see it under Wine (drive Z: is /).
std::string WindowsPath(const std::string& hostPath);

} // namespace kit
