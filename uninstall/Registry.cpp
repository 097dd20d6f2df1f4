#include <windows.h>

#include "Uninstall.h"

void RemoveUninstallEntry(const char* keyPath)
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, keyPath);
}
