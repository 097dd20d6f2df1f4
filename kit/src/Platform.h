// The few services the standard library leaves to the system: 64-bit seeks,
// a file's modification time, the process id and the program's own folder.
#pragma once

#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>

namespace kit {

bool SeekFile(std::FILE* f, std::uint64_t offset, int whence);
std::uint64_t TellFile(std::FILE* f);
// Seconds since 1970 of the last modification; 0 when it cannot be read.
std::time_t ModificationTime(const std::filesystem::path& p);
unsigned long ProcessId();
// The folder holding the running program; empty when unknown.
std::filesystem::path SelfDirectory();

}  // namespace kit
