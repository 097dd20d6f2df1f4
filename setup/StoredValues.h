// The two values that the kit builder writes into each setup image.
//
// They sit side by side behind a fixed 16-byte marker in a section of their
// own (".kstval"), so a tool finds them in a built image by the marker alone.
#pragma once

#include <cstdint>

constexpr char STORED_VALUES_MARKER[16] = {'K', 'S', 'T', 'V', 'A', 'L', 'U', 'E',
                                           'S', '-', 'S', 'T', 'O', 'R', 'E', '1'};

struct StoredValueBlock {
    char marker[16];
    std::uint32_t expectedArchiveCrc;   // CRC-32 of the appended archive
    std::int32_t freeSpaceProbeOffset;  // offset of the free-space probe byte
};

static_assert(sizeof(StoredValueBlock) == 24, "marker and two values, no padding");

// volatile: the values change after linking, so they must never be folded.
extern volatile StoredValueBlock StoredValues;
extern volatile std::uint32_t& ExpectedArchiveCrc;
extern volatile std::int32_t& FreeSpaceProbeOffset;
