#include <cstring>

#include "Driver.h"

namespace kit {

namespace {

constexpr DWORD POLL_MS = 20;
constexpr UINT SEND_TIMEOUT_MS = 2000;

struct TopSearch {
    DWORD pid;
    const char* className;
    const char* title;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTop(HWND window, LPARAM param)
{
    TopSearch& search = *reinterpret_cast<TopSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (search.pid != 0 && pid != search.pid)
        return TRUE;
    if (search.className != nullptr && ClassOf(window) != search.className)
        return TRUE;
    if (search.title != nullptr && WindowText(window) != search.title)
        return TRUE;
    search.found.push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM param)
{
    auto& controls = *reinterpret_cast<std::vector<Control>*>(param);
    controls.push_back(Control{window, GetDlgCtrlID(window), ClassOf(window), WindowText(window),
                               GetWindowLongA(window, GWL_STYLE)});
    return TRUE;
}

std::string WithoutAccelerators(const std::string& text)
{
    std::string plain;
    for (char c : text) {
        if (c != '&')
            plain += c;
    }
    return plain;
}

bool Press(const Control& button)
{
    if (button.window == nullptr)
        return false;
    HWND owner = GetParent(button.window);
    // Posted, so a button that opens a modal loop does not hold the test.
    return PostMessageA(owner, WM_COMMAND, MAKEWPARAM(button.id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(button.window)) != FALSE;
}

} // namespace

std::vector<HWND> TopWindows(DWORD pid, const char* className, const char* title)
{
    TopSearch search{pid, className, title, {}};
    EnumWindows(CollectTop, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForTopWindow(DWORD pid, const char* className, const char* title, DWORD timeoutMs)
{
    DWORD begin = GetTickCount();
    for (;;) {
        for (HWND window : TopWindows(pid, className, title)) {
            if (IsWindowVisible(window))
                return window;
        }
        if (GetTickCount() - begin >= timeoutMs)
            return nullptr;
        Sleep(POLL_MS);
    }
}

HWND WaitForTopWindow(const Program& program, const char* className, const char* title, DWORD timeoutMs)
{
    DWORD begin = GetTickCount();
    for (;;) {
        bool running = program.Running();
        for (HWND window : TopWindows(program.Id(), className, title)) {
            if (IsWindowVisible(window))
                return window;
        }
        if (!running || GetTickCount() - begin >= timeoutMs)
            return nullptr;
        Sleep(POLL_MS);
    }
}

bool WaitUntilGone(HWND window, DWORD timeoutMs)
{
    DWORD begin = GetTickCount();
    while (IsWindow(window)) {
        if (GetTickCount() - begin >= timeoutMs)
            return false;
        Sleep(POLL_MS);
    }
    return true;
}

std::string WindowText(HWND window)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &length)) {
        char text[1024] = {};
        GetWindowTextA(window, text, sizeof text);
        return text;
    }
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG,
                        SEND_TIMEOUT_MS, &copied);
    text.resize(std::strlen(text.c_str()));
    return text;
}

std::string ClassOf(HWND window)
{
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::vector<Control> ListControls(HWND dialog)
{
    std::vector<Control> controls;
    EnumChildWindows(dialog, CollectChild, reinterpret_cast<LPARAM>(&controls));
    return controls;
}

Control FindControl(HWND dialog, int id)
{
    for (const Control& control : ListControls(dialog)) {
        if (control.id == id)
            return control;
    }
    return Control{nullptr, 0, "", "", 0};
}

Control FindControl(HWND dialog, const std::string& text)
{
    for (const Control& control : ListControls(dialog)) {
        if (WithoutAccelerators(control.text) == WithoutAccelerators(text))
            return control;
    }
    return Control{nullptr, 0, "", "", 0};
}

bool PressButton(HWND dialog, int id)
{
    return Press(FindControl(dialog, id));
}

bool PressButton(HWND dialog, const std::string& text)
{
    return Press(FindControl(dialog, text));
}

bool SetCheck(HWND button, bool checked)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(button, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0, SMTO_ABORTIFHUNG,
                               SEND_TIMEOUT_MS, &result) != 0 &&
           IsChecked(button) == checked;
}

bool IsChecked(HWND button)
{
    DWORD_PTR state = 0;
    SendMessageTimeoutA(button, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS, &state);
    return state == BST_CHECKED;
}

bool IsEnabled(const Control& control)
{
    return IsWindowEnabled(control.window) != FALSE;
}

bool SetEditText(HWND edit, const std::string& text)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                               SEND_TIMEOUT_MS, &result) != 0 &&
           result != FALSE;
}

bool TypeText(HWND edit, const std::string& text)
{
    for (char c : text) {
        DWORD_PTR result = 0;
        // Sent one by one, so the characters arrive in order before this returns.
        if (!SendMessageTimeoutA(edit, WM_CHAR, static_cast<unsigned char>(c), 1, SMTO_ABORTIFHUNG, SEND_TIMEOUT_MS,
                                 &result))
            return false;
    }
    return true;
}

bool SendKey(HWND window, UINT virtualKey)
{
    UINT scan = MapVirtualKeyA(virtualKey, 0);
    LPARAM down = 1 | (static_cast<LPARAM>(scan) << 16);
    LPARAM up = down | (1L << 30) | (1L << 31);
    return PostMessageA(window, WM_KEYDOWN, virtualKey, down) && PostMessageA(window, WM_KEYUP, virtualKey, up);
}

std::string WindowsPath(const std::string& hostPath)
{
    if (hostPath.empty() || hostPath[0] != '/')
        return hostPath;
    std::string path = "Z:" + hostPath;
    for (char& c : path) {
        if (c == '/')
            c = '\\';
    }
    return path;
}

} // namespace kit
