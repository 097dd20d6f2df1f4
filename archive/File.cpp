#include "File.h"

#include <exception>

File::File() : stream(nullptr), unwindingAtStart(std::uncaught_exceptions()) {}

File::~File() noexcept(false)
{
    if (stream == nullptr)
        return;
    std::FILE* s = stream;
    stream = nullptr;
    if (std::fclose(s) != 0 && std::uncaught_exceptions() <= unwindingAtStart)
        throw XFile{XFILE_CLOSE};
}

void File::Open(const char* path, const char* mode)
{
    Close();
    stream = std::fopen(path, mode);
    if (stream == nullptr)
        throw XFile{XFILE_OPEN};
}

void File::Close()
{
    if (stream == nullptr)
        return;
    std::FILE* s = stream;
    stream = nullptr; // closed whatever fclose reports, so it is never closed twice
    if (std::fclose(s) != 0)
        throw XFile{XFILE_CLOSE};
}

void File::Read(void* buffer, std::int32_t n)
{
    if (n < 0 || std::fread(buffer, 1, static_cast<std::size_t>(n), stream) != static_cast<std::size_t>(n))
        throw XFile{XFILE_READ};
}

void File::Write(const void* buffer, std::int32_t n)
{
    if (n < 0 || std::fwrite(buffer, 1, static_cast<std::size_t>(n), stream) != static_cast<std::size_t>(n))
        throw XFile{XFILE_WRITE};
}

void File::Seek(std::int32_t offset, Origin origin)
{
    if (std::fseek(stream, offset, origin) != 0)
        throw XFile{XFILE_SEEK};
}

std::int32_t File::Tell()
{
    return static_cast<std::int32_t>(std::ftell(stream));
}

std::int32_t File::Length()
{
    std::int32_t here = Tell();
    Seek(0, FROM_END);
    std::int32_t length = Tell();
    Seek(here, FROM_START);
    return length;
}
