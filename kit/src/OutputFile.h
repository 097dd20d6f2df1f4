// The image being written: a temporary file beside the output, renamed into
// place only when the whole build succeeded and removed otherwise.
#pragma once

#include "Bytes.h"

#include <cstdio>
#include <string>

namespace kit {

class OutputFile {
public:
    explicit OutputFile(const std::string& finalPath);
    ~OutputFile();  // removes the temporary file unless Commit ran
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    void Write(const void* data, std::size_t size);
    void Write(const Bytes& b) { Write(b.data(), b.size()); }
    void WriteAt(std::uint64_t offset, const void* data, std::size_t size);  // keeps the position
    void ReadAt(std::uint64_t offset, void* data, std::size_t size);
    std::uint64_t Position() const { return position; }
    void Rewind(std::uint64_t offset);  // later writes replace what lies behind offset
    void Commit();                      // cuts the file at the position, closes and renames it

private:
    void SeekTo(std::uint64_t offset);
    std::string finalPath, tempPath;
    std::FILE* file = nullptr;
    std::uint64_t position = 0;
    bool committed = false;
};

}  // namespace kit
