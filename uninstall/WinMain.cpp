// kestrun: removes what a product's uninstall log lists, then its uninstall
// entry. Started by the shell with the product title and the log path.
#include <windows.h>

#include "Uninstall.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    RunUninstall(commandLine);
    return 0;
}
