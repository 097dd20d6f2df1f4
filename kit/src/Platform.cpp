#include "Platform.h"

#ifdef _WIN32
#include <process.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace kit {

bool SeekFile(std::FILE* f, std::uint64_t offset, int whence)
{
#ifdef _WIN32
    return _fseeki64(f, static_cast<__int64>(offset), whence) == 0;
#else
    return fseeko(f, static_cast<off_t>(offset), whence) == 0;
#endif
}

std::uint64_t TellFile(std::FILE* f)
{
#ifdef _WIN32
    return static_cast<std::uint64_t>(_ftelli64(f));
#else
    return static_cast<std::uint64_t>(ftello(f));
#endif
}

std::time_t ModificationTime(const std::filesystem::path& p)
{
#ifdef _WIN32
    struct _stat64 st;
    return _wstat64(p.c_str(), &st) == 0 ? static_cast<std::time_t>(st.st_mtime) : 0;
#else
    struct stat st;
    return ::stat(p.c_str(), &st) == 0 ? st.st_mtime : 0;
#endif
}

unsigned long ProcessId()
{
#ifdef _WIN32
    return static_cast<unsigned long>(_getpid());
#else
    return static_cast<unsigned long>(::getpid());
#endif
}

std::filesystem::path SelfDirectory()
{
#ifdef _WIN32
    wchar_t path[32768];
    DWORD n = GetModuleFileNameW(nullptr, path, 32768);
    return n && n < 32768 ? std::filesystem::path(path).parent_path() : std::filesystem::path();
#else
    std::error_code ec;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::filesystem::path() : self.parent_path();
#endif
}

}  // namespace kit
