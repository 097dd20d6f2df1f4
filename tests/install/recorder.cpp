// A stand-in for the installed product: appends its command line and current
// directory to the file named by KIT_RECORD_FILE, one line each.
#include <windows.h>

#include <cstdio>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char path[MAX_PATH];
    char directory[MAX_PATH];
    if (GetEnvironmentVariableA("KIT_RECORD_FILE", path, sizeof path) == 0 ||
        GetCurrentDirectoryA(sizeof directory, directory) == 0)
        return 1;
    std::FILE* file = std::fopen(path, "ab");
    if (file == nullptr)
        return 1;
    std::fprintf(file, "%s\n%s\n", GetCommandLineA(), directory);
    std::fclose(file);
    return 0;
}
