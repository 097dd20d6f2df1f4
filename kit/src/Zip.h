// The ZIP format as the setup program reads it: 32-bit fields only, sizes in
// the local headers, methods 0 (stored) and 8 (deflated).
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace kit {

constexpr std::uint32_t kLocalSignature = 0x04034B50;
constexpr std::uint32_t kCentralSignature = 0x02014B50;
constexpr std::uint32_t kEndSignature = 0x06054B50;
constexpr std::uint32_t kLocalHeaderSize = 30, kCentralHeaderSize = 46, kEndRecordSize = 22;
constexpr std::uint32_t kMaxEndSearch = 65535;  // positions the setup program tries
constexpr std::uint32_t kMaxEntries = 65535;
// The setup program seeks with signed 32-bit offsets: the whole image stays below 2 GiB.
constexpr std::uint64_t kMaxImageSize = 0x7FFFFFFFull;

struct DosTime {
    std::uint16_t time = 0, date = 0;
};

// Calendar fields of t in UTC as an MS-DOS date and time (2-second steps),
// clamped to the years 1980 to 2107 the format can hold.
DosTime ToDosTime(std::time_t t);
std::string FormatDosTime(DosTime t);

}  // namespace kit
