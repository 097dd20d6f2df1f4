// Writes the product's files as a ZIP archive behind the setup image.
#pragma once

#include "OutputFile.h"
#include "Payload.h"
#include "Zip.h"

#include <optional>
#include <vector>

namespace kit {

struct ArchiveOptions {
    std::optional<std::time_t> fixedTime;  // SOURCE_DATE_EPOCH: one time for every entry
    bool progress = true;                  // progress lines on stderr for long builds
    unsigned jobs = 0;                     // threads packing files; 0: one per processor
};

struct WrittenArchive {
    std::uint64_t start = 0;  // file offset of the archive's first byte
    std::size_t entries = 0;
    std::uint64_t storedBytes = 0, originalBytes = 0;
};

// Appends every file (in the order given) as an entry, then the central
// directory and the end record. Throws KitError when a limit of the format
// or of the setup program would be passed.
WrittenArchive WriteArchive(OutputFile& out, const std::vector<PayloadFile>& files, const ArchiveOptions& options);

}  // namespace kit
