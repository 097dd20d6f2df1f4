// CRC-32 of the ZIP format (bit-reflected, polynomial 0xEDB88320).
#pragma once

#include <cstddef>
#include <cstdint>

class Crc32 {
public:
    // Builds the 256-entry table; bad_alloc when it cannot be allocated.
    Crc32();
    ~Crc32();
    Crc32(const Crc32&) = delete;
    Crc32& operator=(const Crc32&) = delete;

    std::uint32_t* table;
};

// Continues crc (0 to begin) over count bytes; count 0 returns crc unchanged.
std::uint32_t Crc32Update(const Crc32& crc32, std::uint32_t crc, const void* bytes, std::size_t count);

// CRC-32 of the file at path from offset to its end.
// Raises XFile 1 (open), 4 (seek, also for an offset outside the file),
// 2 (read) or 5 (close).
std::uint32_t FileCrc(const Crc32& crc32, const char* path, std::int32_t offset);
