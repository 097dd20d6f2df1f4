// Field offsets of the ZIP records the archive reader uses, and readers for
// their little-endian fields. The records are kept byte for byte as stored.
#pragma once

#include <cstdint>

// End-of-central-directory record.
constexpr int END_SIGNATURE = 0;
constexpr int END_TOTAL_ENTRIES = 10;
constexpr int END_DIRECTORY_SIZE = 12;
constexpr int END_DIRECTORY_OFFSET = 16;
constexpr int END_COMMENT_LENGTH = 20;

// Central directory record.
constexpr int CENTRAL_SIGNATURE = 0;
constexpr int CENTRAL_METHOD = 10;
constexpr int CENTRAL_COMPRESSED_SIZE = 20;
constexpr int CENTRAL_UNCOMPRESSED_SIZE = 24;
constexpr int CENTRAL_NAME_LENGTH = 28;
constexpr int CENTRAL_EXTRA_LENGTH = 30;
constexpr int CENTRAL_COMMENT_LENGTH = 32;
constexpr int CENTRAL_LOCAL_OFFSET = 42;

// Local file header.
constexpr int LOCAL_SIGNATURE = 0;
constexpr int LOCAL_METHOD = 8;
constexpr int LOCAL_TIME = 10;
constexpr int LOCAL_DATE = 12;
constexpr int LOCAL_CRC = 14;
constexpr int LOCAL_COMPRESSED_SIZE = 18;
constexpr int LOCAL_UNCOMPRESSED_SIZE = 22;
constexpr int LOCAL_NAME_LENGTH = 26;
constexpr int LOCAL_EXTRA_LENGTH = 28;

constexpr std::uint16_t METHOD_STORED = 0;
constexpr std::uint16_t METHOD_DEFLATED = 8;

inline std::uint16_t Field16(const unsigned char* record, int offset)
{
    return static_cast<std::uint16_t>(record[offset] | record[offset + 1] << 8);
}

inline std::uint32_t Field32(const unsigned char* record, int offset)
{
    return static_cast<std::uint32_t>(record[offset]) | static_cast<std::uint32_t>(record[offset + 1]) << 8 |
           static_cast<std::uint32_t>(record[offset + 2]) << 16 | static_cast<std::uint32_t>(record[offset + 3]) << 24;
}

// A whole percentage of done out of total, in 64-bit arithmetic so that
// done * 100 cannot overflow; total 0 counts as finished.
inline std::int32_t Percent(std::uint64_t done, std::uint64_t total)
{
    if (total == 0 || done >= total)
        return 100;
    return static_cast<std::int32_t>(done * 100 / total);
}
