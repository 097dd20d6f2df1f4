#include <cstdint>
#include <cstdlib>

#include "Driver.h"

namespace kit {

namespace {

constexpr DWORD POLL_MS = 30;

// A w x h block of 32-bit pixels, rows top-down.
struct Pixels {
    int w = 0;
    int h = 0;
    std::vector<std::uint32_t> data;
};

// Copies a block of source into pixels through a DIB section.
bool CopyBlock(HDC source, int x, int y, int w, int h, Pixels& pixels, HICON icon = nullptr,
               COLORREF background = 0)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = w;
    info.bmiHeader.biHeight = -h;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (memory == nullptr || bitmap == nullptr || bits == nullptr) {
        if (bitmap != nullptr)
            DeleteObject(bitmap);
        if (memory != nullptr)
            DeleteDC(memory);
        return false;
    }
    HGDIOBJ old = SelectObject(memory, bitmap);
    bool ok;
    if (icon != nullptr) {
        HBRUSH brush = CreateSolidBrush(background);
        RECT all{0, 0, w, h};
        FillRect(memory, &all, brush);
        DeleteObject(brush);
        ok = DrawIconEx(memory, 0, 0, icon, w, h, 0, nullptr, DI_NORMAL) != FALSE;
    } else {
        ok = BitBlt(memory, 0, 0, w, h, source, x, y, SRCCOPY) != FALSE;
    }
    GdiFlush();
    if (ok) {
        pixels.w = w;
        pixels.h = h;
        const auto* first = static_cast<const std::uint32_t*>(bits);
        pixels.data.assign(first, first + static_cast<std::size_t>(w) * h);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    return ok;
}

bool Near(std::uint32_t a, std::uint32_t b)
{
    for (int shift = 0; shift < 24; shift += 8) {
        int ca = static_cast<int>((a >> shift) & 0xFF);
        int cb = static_cast<int>((b >> shift) & 0xFF);
        if (std::abs(ca - cb) > 24)
            return false;
    }
    return true;
}

// Share of the icon's opaque pixels (the same on black and on white) that
// the screen shows in the same colour.
double Match(const Pixels& screen, HICON icon)
{
    Pixels onBlack, onWhite;
    if (!CopyBlock(nullptr, 0, 0, screen.w, screen.h, onBlack, icon, RGB(0, 0, 0)) ||
        !CopyBlock(nullptr, 0, 0, screen.w, screen.h, onWhite, icon, RGB(255, 255, 255)))
        return 0.0;
    std::size_t opaque = 0, same = 0;
    for (std::size_t i = 0; i < screen.data.size(); ++i) {
        if ((onBlack.data[i] & 0xFFFFFF) != (onWhite.data[i] & 0xFFFFFF))
            continue;
        ++opaque;
        if (Near(screen.data[i], onBlack.data[i]))
            ++same;
    }
    return opaque == 0 ? 0.0 : static_cast<double>(same) / static_cast<double>(opaque);
}

IconKind RecogniseIcon(HWND iconControl)
{
    RECT rect;
    if (!GetWindowRect(iconControl, &rect) || rect.right <= rect.left || rect.bottom <= rect.top)
        return IconKind::Unknown;
    Pixels screen;
    HDC desktop = GetDC(nullptr);
    bool copied = CopyBlock(desktop, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, screen);
    ReleaseDC(nullptr, desktop);
    if (!copied)
        return IconKind::Unknown;
    const struct {
        IconKind kind;
        LPCSTR id;
    } candidates[] = {
        {IconKind::Question, IDI_QUESTION},
        {IconKind::Information, IDI_ASTERISK},
        {IconKind::Warning, IDI_EXCLAMATION},
        {IconKind::Error, IDI_HAND},
    };
    IconKind best = IconKind::Unknown;
    double bestScore = 0.9; // below this the pixels show no system icon (yet)
    for (const auto& candidate : candidates) {
        double score = Match(screen, LoadIconA(nullptr, candidate.id));
        if (score > bestScore) {
            bestScore = score;
            best = candidate.kind;
        }
    }
    return best;
}

bool IsIconControl(const Control& control)
{
    return ClassOf(control.window) == "Static" && (control.style & SS_TYPEMASK) == SS_ICON;
}

} // namespace

const char* IconName(IconKind kind)
{
    switch (kind) {
    case IconKind::None:
        return "none";
    case IconKind::Question:
        return "question";
    case IconKind::Information:
        return "information";
    case IconKind::Warning:
        return "warning";
    case IconKind::Error:
        return "error";
    case IconKind::Unknown:
        break;
    }
    return "unknown";
}

bool ReadMessageBox(HWND box, MessageBoxView& view, DWORD iconTimeoutMs)
{
    if (!IsWindow(box))
        return false;
    view = MessageBoxView{};
    view.window = box;
    view.caption = WindowText(box);
    HWND iconControl = nullptr;
    bool haveText = false;
    for (const Control& control : ListControls(box)) {
        if (control.className == "Button") {
            view.buttons.push_back(control);
        } else if (IsIconControl(control)) {
            iconControl = control.window;
        } else if (control.className == "Static" && !haveText) {
            view.text = control.text;
            haveText = true;
        }
    }
    DWORD_PTR icon = 0;
    if (iconControl != nullptr)
        SendMessageTimeoutA(iconControl, STM_GETICON, 0, 0, SMTO_ABORTIFHUNG, 2000, &icon);
    if (iconControl == nullptr || !IsWindowVisible(iconControl) || icon == 0) {
        view.icon = IconKind::None;
        return true;
    }
    // The box may not have been painted yet: look again until it shows a known icon.
    DWORD begin = GetTickCount();
    for (;;) {
        view.icon = RecogniseIcon(iconControl);
        if (view.icon != IconKind::Unknown || GetTickCount() - begin >= iconTimeoutMs || !IsWindow(box))
            return true;
        Sleep(POLL_MS);
    }
}

bool LooksLikeMessageBox(HWND window)
{
    if (ClassOf(window) != "#32770" || !IsWindowVisible(window) || !IsWindowEnabled(window))
        return false;
    bool hasButton = false;
    for (const Control& control : ListControls(window)) {
        if (control.className == "Button")
            hasButton = true;
        else if (control.className != "Static")
            return false;
    }
    return hasButton;
}

namespace {

// Polls for a message box of pid (0: any process); stops early once program
// (when given) has ended.
HWND WaitForBox(DWORD pid, const Program* program, DWORD timeoutMs)
{
    DWORD begin = GetTickCount();
    for (;;) {
        bool running = program == nullptr || program->Running();
        for (HWND window : TopWindows(pid, "#32770")) {
            if (LooksLikeMessageBox(window))
                return window;
        }
        if (!running || GetTickCount() - begin >= timeoutMs)
            return nullptr;
        Sleep(POLL_MS);
    }
}

} // namespace

bool WaitForMessageBox(DWORD pid, MessageBoxView& view, DWORD timeoutMs)
{
    HWND box = WaitForBox(pid, nullptr, timeoutMs);
    return box != nullptr && ReadMessageBox(box, view);
}

bool WaitForMessageBox(const Program& program, MessageBoxView& view, DWORD timeoutMs)
{
    HWND box = WaitForBox(program.Id(), &program, timeoutMs);
    return box != nullptr && ReadMessageBox(box, view);
}

std::string ButtonTexts(const MessageBoxView& view)
{
    std::string joined;
    for (const Control& button : view.buttons) {
        if (!joined.empty())
            joined += "|";
        joined += button.text;
    }
    return joined;
}

} // namespace kit
