#include "RegisterUninstaller.h"

#include <windows.h>

#include <cstring>

#include "BoundedText.h"
#include "ConfigStrings.h"
#include "PathHelpers.h"
#include "ResourceIds.h"

namespace {

constexpr const char* UNINSTALL_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// Only the start of a version resource is read: its header and the fixed
// information right behind it.
constexpr DWORD VERSION_BUFFER_SIZE = 250;

// The fixed information as VerQueryValueA finds it in a truncated buffer;
// null unless the whole record lies inside the buffer and carries its
// signature, so nothing past the bytes actually read is ever looked at.
const VS_FIXEDFILEINFO* FindFixedInfo(const unsigned char* buffer)
{
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(buffer, "\\", &value, &length) || value == nullptr || length < sizeof(VS_FIXEDFILEINFO))
        return nullptr;
    const unsigned char* p = static_cast<const unsigned char*>(value);
    if (p < buffer || p + sizeof(VS_FIXEDFILEINFO) > buffer + VERSION_BUFFER_SIZE)
        return nullptr;
    const VS_FIXEDFILEINFO* info = static_cast<const VS_FIXEDFILEINFO*>(value);
    return info->dwSignature == 0xFEEF04BD ? info : nullptr;
}

int CompareUnsigned(DWORD a, DWORD b)
{
    return a > b ? 1 : (a < b ? -1 : 0);
}

// The title stands between two double quotes of the command: the uninstaller
// takes the text up to the next quote, so a quote inside would cut it short,
// and an empty title would make the key name the list's own key.
bool CanCarry(const char* title, const char* logPath)
{
    return title[0] != '\0' && std::strchr(title, '"') == nullptr && std::strchr(logPath, '"') == nullptr;
}

bool PlaceUninstaller(const char* extractedCopy, const char* windowsCopy)
{
    if (GetFileAttributesA(windowsCopy) == INVALID_FILE_ATTRIBUTES)
        return MoveFileA(extractedCopy, windowsCopy) != 0;
    if (CompareFileVersions(extractedCopy, windowsCopy) >= 0) {
        DeleteFileA(windowsCopy);
        return MoveFileA(extractedCopy, windowsCopy) != 0;
    }
    // The copy in the Windows directory is newer: it stays, and the extracted
    // one stays in the install directory, whose log lists it.
    return true;
}

} // namespace

bool RegisterUninstaller(const char* installDir, const char* logPath)
{
    char name[60];
    if (LoadConfigString(ROW_UNINSTALLER_NAME, name, sizeof name)[0] == '\0')
        return false;
    char title[60];
    LoadConfigString(ROW_PRODUCT_TITLE, title, sizeof title);
    if (!CanCarry(title, logPath))
        return false;

    // Everything is composed before anything is changed, so a refusal leaves
    // the Windows directory and the registry as they were.
    char windowsCopy[UNINSTALL_COMMAND_CAPACITY];
    UINT length = GetWindowsDirectoryA(windowsCopy, sizeof windowsCopy);
    if (length == 0 || length >= sizeof windowsCopy)
        return false;
    char extractedCopy[PATH_CAPACITY];
    char keyPath[PATH_CAPACITY];
    char command[UNINSTALL_COMMAND_CAPACITY];
    bool fits = AppendBackslash(windowsCopy, sizeof windowsCopy) && AppendText(windowsCopy, sizeof windowsCopy, name) &&
                CopyText(extractedCopy, sizeof extractedCopy, installDir) && AppendBackslash(extractedCopy) &&
                AppendText(extractedCopy, sizeof extractedCopy, name) &&
                CopyText(keyPath, sizeof keyPath, UNINSTALL_KEY) && AppendText(keyPath, sizeof keyPath, title) &&
                CopyText(command, sizeof command, windowsCopy) && AppendText(command, sizeof command, " \"") &&
                AppendText(command, sizeof command, title) && AppendText(command, sizeof command, "\" \"") &&
                AppendText(command, sizeof command, logPath) && AppendText(command, sizeof command, "\"");
    if (!fits)
        return false;

    if (!PlaceUninstaller(extractedCopy, windowsCopy))
        return false;

    HKEY key;
    DWORD disposition;
    char noClass[] = "";
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath, 0, noClass, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        &key, &disposition) != ERROR_SUCCESS)
        return false;
    RegSetValueExA(key, "DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE*>(title),
                   static_cast<DWORD>(std::strlen(title) + 1));
    RegSetValueExA(key, "UninstallString", 0, REG_SZ, reinterpret_cast<const BYTE*>(command),
                   static_cast<DWORD>(std::strlen(command) + 1));
    RegCloseKey(key);
    return true;
}

int CompareFileVersions(const char* a, const char* b)
{
    alignas(4) unsigned char dataA[VERSION_BUFFER_SIZE];
    alignas(4) unsigned char dataB[VERSION_BUFFER_SIZE];
    if (!GetFileVersionInfoA(a, 0, VERSION_BUFFER_SIZE, dataA))
        return 0;
    if (!GetFileVersionInfoA(b, 0, VERSION_BUFFER_SIZE, dataB))
        return 1;
    const VS_FIXEDFILEINFO* infoA = FindFixedInfo(dataA);
    if (infoA == nullptr)
        return 0;
    const VS_FIXEDFILEINFO* infoB = FindFixedInfo(dataB);
    if (infoB == nullptr)
        return 1;
    if (infoA->dwFileVersionMS != infoB->dwFileVersionMS)
        return CompareUnsigned(infoA->dwFileVersionMS, infoB->dwFileVersionMS);
    return CompareUnsigned(infoA->dwFileVersionLS, infoB->dwFileVersionLS);
}
