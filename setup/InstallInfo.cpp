#include "InstallInfo.h"

#include <memory>

HINSTANCE ModuleInstance = nullptr;
InstallInfo* CurrentInstall = nullptr;

InstallInfo::InstallInfo()
    : destBase(nullptr), folderName(nullptr), modulePath(nullptr), addToMenu(1), desktopShortcut(1),
      installed(0), sheetWnd(nullptr), progressWnd(nullptr), archive(nullptr)
{
    std::unique_ptr<char[]> base(new char[DEST_BASE_CAPACITY]());
    std::unique_ptr<char[]> folder(new char[FOLDER_NAME_CAPACITY]());
    std::unique_ptr<char[]> module(new char[MODULE_PATH_CAPACITY]());
    destBase = base.release();
    folderName = folder.release();
    modulePath = module.release();
}

InstallInfo::~InstallInfo() noexcept(false)
{
    delete[] destBase;
    delete[] folderName;
    delete[] modulePath;
    // logFile ends after this body; its destructor closes the log.
}

void ReadDefaultDestination()
{
    char* destBase = CurrentInstall->destBase;
    destBase[0] = '\0';

    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0, KEY_ALL_ACCESS,
                      &key) == ERROR_SUCCESS) {
        DWORD type = REG_NONE;
        DWORD size = 200;
        LONG result = RegQueryValueExA(key, "ProgramFilesDir", nullptr, &type,
                                       reinterpret_cast<BYTE*>(destBase), &size);
        RegCloseKey(key);
        // The system does not terminate a value that fills all 200 bytes, and
        // a value of another type is no path: both count as absent.
        if (result != ERROR_SUCCESS || type != REG_SZ || size == 0 || size > 200 ||
            (destBase[size - 1] != '\0' && size == 200))
            destBase[0] = '\0';
        else
            destBase[size] = '\0'; // size < 260: within the buffer
    }

    if (destBase[0] == '\0') {
        DWORD n = GetCurrentDirectoryA(200, destBase);
        if (n == 0 || n >= 200)
            destBase[0] = '\0';
    }
}
