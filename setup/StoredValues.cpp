#include "StoredValues.h"

__attribute__((section(".kstval"), used)) volatile StoredValueBlock StoredValues = {
    {'K', 'S', 'T', 'V', 'A', 'L', 'U', 'E', 'S', '-', 'S', 'T', 'O', 'R', 'E', '1'},
    0xDE2F719Bu, // the delivered image's values
    3000,
};

volatile std::uint32_t& ExpectedArchiveCrc = StoredValues.expectedArchiveCrc;
volatile std::int32_t& FreeSpaceProbeOffset = StoredValues.freeSpaceProbeOffset;
