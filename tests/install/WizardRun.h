// Works the setup program's wizard as a person would, through the driver.
#pragma once

#include <windows.h>

#include <string>

#include "Driver.h"

// Ids of the wizard's own buttons.
constexpr int BACK_BUTTON = 0x3023;
constexpr int NEXT_BUTTON = 0x3024;
constexpr int FINISH_BUTTON = 0x3025;
constexpr int CANCEL_BUTTON = IDCANCEL;

std::string ImagePath(const std::string& name);
std::string EnvironmentValue(const char* name);

class WizardRun {
public:
    // Starts the image (from the images folder) in workDir and waits for the wizard.
    bool Start(const std::string& image, const std::string& workDir);
    HWND Sheet() const { return sheet; }
    HWND Page() const;
    // Text of a control of the current page.
    std::string PageText(int id) const;
    // Visible and enabled state of a wizard button, as "NBF" letters, e.g.
    // "N" (Next only), "BN", "BF".
    std::string Buttons() const;
    // Waits (bounded) until Buttons() gives expected.
    bool WaitForButtons(const std::string& expected);
    // Waits for a message box of the setup program and reads it.
    bool WaitForMessage(kit::MessageBoxView& view, DWORD timeoutMs);
    // Presses a wizard button; for Next and Back waits until the page changed.
    bool Press(int button);
    // Sends one character to the folder-name field as typing would.
    void Type(const std::string& text);
    // Waits for the setup program to end; its exit code.
    bool WaitExit(DWORD timeoutMs, DWORD* exitCode) { return program.WaitExit(timeoutMs, exitCode); }

    kit::Program program;
    HWND sheet = nullptr;
};

// Saves the whole screen as a BMP file in the screenshot folder.
void SaveScreenshot(const std::string& name);
