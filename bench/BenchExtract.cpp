// Times ZipArchive extraction of one archive: bench_extract ARCHIVE INSTALLDIR
// Prints the seconds taken by the constructor and ExtractAll together.
#include <windows.h>

#include <cstdio>

#include "ZipArchive.h"

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: bench_extract ARCHIVE INSTALLDIR\\\n");
        return 2;
    }
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    try {
        ZipArchive archive(argv[1]);
        archive.ExtractAll(argv[2]);
    } catch (XFile e) {
        std::fprintf(stderr, "XFile %d\n", e.code);
        return 1;
    } catch (XZip e) {
        std::fprintf(stderr, "XZip %d\n", e.code);
        return 1;
    }
    QueryPerformanceCounter(&end);
    std::printf("%.3f\n", static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart));
    return 0;
}
