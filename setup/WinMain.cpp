// Entry of the setup program: set up the state, run the wizard, start the
// installed product, tear down.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <prsht.h>

#include <cstddef>
#include <new>

#include "BoundedText.h"
#include "ConfigStrings.h"
#include "FolderName.h"
#include "InstallInfo.h"
#include "PathHelpers.h"
#include "ResourceIds.h"
#include "Wizard.h"

// The record sizes the wizard is built with: the page record up to its
// header-subtitle field, the sheet header up to its header-bitmap field.
constexpr UINT PAGE_RECORD_SIZE = 48;
constexpr UINT SHEET_HEADER_SIZE = 52;
static_assert(offsetof(PROPSHEETPAGEA, pszHeaderSubTitle) + sizeof(LPCSTR) == PAGE_RECORD_SIZE, "page size");
static_assert(offsetof(PROPSHEETHEADERA, hbmHeader) + sizeof(HBITMAP) == SHEET_HEADER_SIZE, "sheet size");

namespace {

HPROPSHEETPAGE CreatePage(int templateId, UINT titleRow, DLGPROC procedure)
{
    char title[256];
    PROPSHEETPAGEA page = {};
    page.dwSize = PAGE_RECORD_SIZE;
    page.dwFlags = PSP_USETITLE;
    page.hInstance = ModuleInstance;
    page.pszTemplate = MAKEINTRESOURCEA(templateId);
    page.pszTitle = LoadConfigString(titleRow, title, 255);
    page.pfnDlgProc = procedure;
    page.lParam = 0;
    return CreatePropertySheetPageA(&page); // copies the title
}

void RunWizard()
{
    HPROPSHEETPAGE pages[3] = {
        CreatePage(IDD_WELCOME, ROW_TITLE_WELCOME, WelcomePageProc),
        CreatePage(IDD_DESTINATION, ROW_TITLE_DESTINATION, DestinationPageProc),
        CreatePage(IDD_OPTIONS, ROW_TITLE_OPTIONS, OptionsPageProc),
    };
    char caption[256];
    PROPSHEETHEADERA sheet = {};
    sheet.dwSize = SHEET_HEADER_SIZE;
    sheet.dwFlags = PSH_WIZARD | PSH_NOAPPLYNOW | PSH_USECALLBACK;
    sheet.hwndParent = nullptr;
    sheet.hInstance = ModuleInstance;
    sheet.pszCaption = LoadConfigString(ROW_WIZARD_CAPTION, caption, 255);
    sheet.nPages = 3;
    sheet.nStartPage = 0;
    sheet.phpage = pages;
    sheet.pfnCallback = SheetCallback;
    PropertySheetA(&sheet);
}

// The install directory followed by row 10012, unquoted; not waited for.
void StartProduct()
{
    char command[60];
    if (LoadConfigString(ROW_START_COMMAND, command, sizeof command)[0] == '\0')
        return;
    char commandLine[PATH_CAPACITY];
    // The wizard refuses folders for which this would not fit; a command line
    // that still does not fit is not started rather than cut.
    if (!ComposeInstallDir(*CurrentInstall, commandLine) || !AppendBackslash(commandLine) ||
        !AppendText(commandLine, sizeof commandLine, command))
        return;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

void Run(InstallInfo& info, HINSTANCE instance)
{
    ModuleInstance = instance;
    CurrentInstall = &info;
    InitCommonControls();
    CoInitialize(nullptr);
    ReadDefaultDestination();
    LoadConfigString(ROW_PRODUCT_NAME, info.folderName, FOLDER_NAME_CAPACITY);
    // A rejected character in the configured name would make the folder-name
    // field reject its own start value for ever; such characters are dropped.
    RemoveRejectedCharacters(info.folderName);
    GetModuleFileNameA(nullptr, info.modulePath, MODULE_PATH_CAPACITY);

    RunWizard();
    if (info.installed == 1)
        StartProduct();
    CoUninitialize();

    // The log of a successful run is still open while the product starts.
    try {
        info.logFile.Close();
    } catch (XFile e) {
        char text[200];
        MessageBoxA(nullptr, LoadConfigString(ROW_FILE_TEXT_BASE + e.code, text, sizeof text), "Install Error",
                    MB_OK | MB_ICONWARNING);
    }
    CurrentInstall = nullptr;
}

} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    try {
        InstallInfo info;
        Run(info, instance);
    } catch (std::bad_alloc&) {
        MessageBoxA(nullptr, "Insufficient memory to install files.", "Install Error", MB_OK | MB_ICONWARNING);
        return 1;
    }
    return 0;
}
