// Tidewell: the sample product's program. It shows the next tides of a few
// harbours from the data files installed beside it. Started by the setup
// program with /welcome, it greets the user and closes itself after a while,
// so an unattended installation never leaves it waiting.
#include <windows.h>

#include <cstdio>
#include <cstring>

namespace {

constexpr UINT_PTR kCloseTimer = 1;
constexpr UINT kWelcomeSeconds = 20;
char g_text[2048];

// The folder this program runs from, with a trailing backslash.
void ProgramFolder(char* folder, DWORD size)
{
    DWORD n = GetModuleFileNameA(nullptr, folder, size);
    if (n == 0 || n >= size) {
        folder[0] = '\0';
        return;
    }
    char* slash = std::strrchr(folder, '\\');
    if (slash)
        slash[1] = '\0';
}

// Reads the harbour table (name,high water,low water per line) into the text.
void LoadTides(const char* folder)
{
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "%sdata\\harbours\\tides.csv", folder);
    std::FILE* f = std::fopen(path, "r");
    std::size_t used = std::strlen(g_text);
    if (!f) {
        std::snprintf(g_text + used, sizeof g_text - used, "\r\n(The tide table %s is missing.)", path);
        return;
    }
    char line[256];
    bool header = true;
    while (std::fgets(line, sizeof line, f) && used + 80 < sizeof g_text) {
        line[std::strcspn(line, "\r\n")] = '\0';
        if (header) {
            header = false;
            continue;
        }
        char* high = std::strchr(line, ',');
        char* low = high ? std::strchr(high + 1, ',') : nullptr;
        if (!low)
            continue;
        *high++ = '\0';
        *low++ = '\0';
        used += std::snprintf(g_text + used, sizeof g_text - used, "\r\n%-12s high %s   low %s", line, high, low);
    }
    std::fclose(f);
}

// Remembers the last start in Settings\window.ini: the uninstaller's extra entries remove it.
void RememberStart(const char* folder)
{
    char path[MAX_PATH];
    std::snprintf(path, sizeof path, "%sSettings", folder);
    CreateDirectoryA(path, nullptr);
    std::snprintf(path, sizeof path, "%sSettings\\window.ini", folder);
    WritePrivateProfileStringA("Tidewell", "Started", "1", path);
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT area;
        GetClientRect(window, &area);
        InflateRect(&area, -16, -16);
        SelectObject(dc, GetStockObject(ANSI_FIXED_FONT));
        SetBkMode(dc, TRANSPARENT);
        DrawTextA(dc, g_text, -1, &area, DT_LEFT | DT_TOP | DT_EXPANDTABS);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_TIMER:
        if (wParam == kCloseTimer)
            DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show)
{
    bool welcome = commandLine && std::strstr(commandLine, "/welcome");
    char folder[MAX_PATH];
    ProgramFolder(folder, sizeof folder);
    std::snprintf(g_text, sizeof g_text, "%s",
                  welcome ? "Tidewell is installed. These are the next tides:\r\n"
                          : "Tidewell - the next tides:\r\n");
    LoadTides(folder);
    RememberStart(folder);

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = "TidewellWindow";
    if (!RegisterClassA(&windowClass))
        return 1;
    HWND window = CreateWindowA("TidewellWindow", "Tidewell 1.0", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                460, 260, nullptr, nullptr, instance, nullptr);
    if (!window)
        return 1;
    if (welcome)
        SetTimer(window, kCloseTimer, kWelcomeSeconds * 1000, nullptr);
    ShowWindow(window, show);
    UpdateWindow(window);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}
