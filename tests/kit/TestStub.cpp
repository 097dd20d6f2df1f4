// A stand-in for the setup program in the kit builder's tests: it carries the
// same string table and stored-value block, a picture and an icon, and does
// nothing but report the stored CRC as its exit code.
#include <windows.h>

#include "StoredValues.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return static_cast<int>(ExpectedArchiveCrc & 0x7F);
}
