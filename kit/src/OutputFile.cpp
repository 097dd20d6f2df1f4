#include "OutputFile.h"

#include "Diagnostics.h"
#include "Platform.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

namespace kit {

namespace fs = std::filesystem;

OutputFile::OutputFile(const std::string& path) : finalPath(path)
{
    fs::path target = fs::u8path(path);
    fs::path dir = target.parent_path();
    std::string base = target.filename().u8string();
    for (int attempt = 0; attempt < 100 && !file; ++attempt) {
        fs::path candidate = dir / ("." + base + ".tmp" + std::to_string(ProcessId()) + "-" + std::to_string(attempt));
        tempPath = candidate.u8string();
        // "x": never take over a file that is already there.
        file = std::fopen(tempPath.c_str(), "w+bx");
        if (!file && errno != EEXIST)
            break;
    }
    if (!file)
        throw KitError("cannot create a file beside " + path + ": " + std::strerror(errno));
}

OutputFile::~OutputFile()
{
    if (file)
        std::fclose(file);
    if (!committed)
        std::remove(tempPath.c_str());
}

void OutputFile::SeekTo(std::uint64_t offset)
{
    if (!SeekFile(file, offset, SEEK_SET))
        throw KitError("cannot seek in " + tempPath + ": " + std::strerror(errno));
}

void OutputFile::Write(const void* data, std::size_t size)
{
    if (size && std::fwrite(data, 1, size, file) != size)
        throw KitError("cannot write " + tempPath + ": " + std::strerror(errno));
    position += size;
}

void OutputFile::WriteAt(std::uint64_t offset, const void* data, std::size_t size)
{
    SeekTo(offset);
    if (size && std::fwrite(data, 1, size, file) != size)
        throw KitError("cannot write " + tempPath + ": " + std::strerror(errno));
    SeekTo(position);
}

void OutputFile::ReadAt(std::uint64_t offset, void* data, std::size_t size)
{
    SeekTo(offset);
    if (size && std::fread(data, 1, size, file) != size)
        throw KitError("cannot read back " + tempPath);
    SeekTo(position);
}

void OutputFile::Rewind(std::uint64_t offset)
{
    position = offset;
    SeekTo(offset);
}

void OutputFile::Commit()
{
    if (std::fflush(file) != 0)
        throw KitError("cannot write " + tempPath + ": " + std::strerror(errno));
    std::error_code ec;
    fs::resize_file(fs::u8path(tempPath), position, ec);
    if (ec)
        throw KitError("cannot finish " + tempPath + ": " + ec.message());
    int closed = std::fclose(file);
    file = nullptr;
    if (closed != 0)
        throw KitError("cannot write " + tempPath + ": " + std::strerror(errno));
    fs::permissions(fs::u8path(tempPath), fs::perms::owner_read | fs::perms::owner_write | fs::perms::owner_exec |
                                              fs::perms::group_read | fs::perms::group_exec |
                                              fs::perms::others_read | fs::perms::others_exec, ec);
    fs::rename(fs::u8path(tempPath), fs::u8path(finalPath), ec);
    if (ec)
        throw KitError("cannot rename " + tempPath + " to " + finalPath + ": " + ec.message());
    committed = true;
}

}  // namespace kit
