#include "WizardRun.h"

#include <commctrl.h>
#include <prsht.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

std::string EnvironmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

std::string ImagePath(const std::string& name)
{
    return EnvironmentValue("KIT_IMAGES") + "\\" + name + ".exe";
}

bool WizardRun::Start(const std::string& image, const std::string& workDir)
{
    std::string path = ImagePath(image);
    if (!program.Start(path, "\"" + path + "\" ignored /arguments", workDir))
        return false;
    sheet = kit::WaitForTopWindow(program, "#32770", nullptr, 20000);
    return sheet != nullptr;
}

HWND WizardRun::Page() const
{
    DWORD_PTR page = 0;
    SendMessageTimeoutA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0, SMTO_ABORTIFHUNG, 5000, &page);
    return reinterpret_cast<HWND>(page);
}

std::string WizardRun::PageText(int id) const
{
    return kit::WindowText(GetDlgItem(Page(), id));
}

std::string WizardRun::Buttons() const
{
    std::string letters;
    struct {
        int id;
        char letter;
    } buttons[] = {{BACK_BUTTON, 'B'}, {NEXT_BUTTON, 'N'}, {FINISH_BUTTON, 'F'}};
    for (const auto& b : buttons) {
        HWND button = GetDlgItem(sheet, b.id);
        if (button && IsWindowVisible(button) && IsWindowEnabled(button))
            letters += b.letter;
    }
    return letters;
}

bool WizardRun::Press(int button)
{
    HWND before = Page();
    if (!kit::PressButton(sheet, button))
        return false;
    if (button != NEXT_BUTTON && button != BACK_BUTTON)
        return true;
    for (int i = 0; i < 100; ++i) {
        HWND now = Page();
        if (now != nullptr && now != before) {
            Sleep(200); // the page posts its button state when it is shown
            return true;
        }
        Sleep(50);
    }
    return false;
}

void WizardRun::Type(const std::string& text)
{
    HWND edit = GetDlgItem(Page(), 102);
    // Type at the end of the text, as a person who clicked after it would.
    DWORD_PTR length = 0;
    SendMessageTimeoutA(edit, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 5000, &length);
    SendMessageTimeoutA(edit, EM_SETSEL, length, length, SMTO_ABORTIFHUNG, 5000, nullptr);
    kit::TypeText(edit, text);
}

bool WizardRun::WaitForButtons(const std::string& expected)
{
    for (int i = 0; i < 60; ++i) {
        if (Buttons() == expected)
            return true;
        Sleep(50);
    }
    return false;
}

bool WizardRun::WaitForMessage(kit::MessageBoxView& view, DWORD timeoutMs)
{
    // A message box of the setup program: any of its dialogs but the wizard
    // and the progress window.
    for (DWORD waited = 0; waited < timeoutMs && program.Running(); waited += 100) {
        for (HWND window : kit::TopWindows(program.Id(), "#32770")) {
            if (window == sheet || !IsWindowVisible(window) ||
                kit::WindowText(window) == "Installation Progress")
                continue;
            return kit::ReadMessageBox(window, view);
        }
        Sleep(100);
    }
    return false;
}

void SaveScreenshot(const std::string& name)
{
    std::string dir = EnvironmentValue("KIT_SCREENSHOTS");
    if (dir.empty())
        return;
    CreateDirectoryA(dir.c_str(), nullptr);
    Sleep(700); // let the windows finish painting
    HDC screen = GetDC(nullptr);
    int width = GetSystemMetrics(SM_CXSCREEN);
    int height = GetSystemMetrics(SM_CYSCREEN);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);

    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    DWORD rowSize = ((width * 3 + 3) / 4) * 4;
    std::vector<unsigned char> pixels(rowSize * height);
    GetDIBits(memory, bitmap, 0, height, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    if (std::FILE* out = std::fopen((dir + "\\" + name + ".bmp").c_str(), "wb")) {
        std::fwrite(&file, sizeof file, 1, out);
        std::fwrite(&info, sizeof info, 1, out);
        std::fwrite(pixels.data(), 1, pixels.size(), out);
        std::fclose(out);
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}
