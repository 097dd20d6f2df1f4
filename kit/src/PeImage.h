// A PE32 image held in memory: its sections, its resources, its stored values,
// and the rebuild of its resource section.
#pragma once

#include "Bytes.h"
#include "Resources.h"

#include <string>
#include <vector>

namespace kit {

struct Section {
    std::string name;
    std::uint32_t virtualSize = 0, virtualAddress = 0, rawSize = 0, rawPointer = 0, characteristics = 0;
};

struct PeImage {
    Bytes bytes;
    std::uint32_t peOffset = 0;       // "PE\0\0"
    std::uint32_t optionalOffset = 0; // optional header
    std::uint32_t sectionTable = 0;
    std::uint32_t fileAlignment = 0, sectionAlignment = 0;
    std::uint32_t dataDirCount = 0;
    std::vector<Section> sections;

    std::uint32_t DataDirRva(int index) const;
    std::uint32_t DataDirSize(int index) const;
    // File offset of an RVA, or -1 when no section's raw data holds it.
    long long RvaToOffset(std::uint32_t rva, std::uint32_t size) const;
    // End of the last section's raw data: where an appended archive would start.
    std::uint32_t RawEnd() const;
};

// Parses a PE32 image (throws KitError naming `what` on anything it cannot handle).
PeImage ParsePe(Bytes bytes, const std::string& what);

ResourceTree ReadResources(const PeImage& image);

// A new image whose resource section holds `tree`; the sections that follow
// the resources (relocations, debug data) move up or down as needed. The
// checksum field is cleared; the caller writes it once the file is complete.
Bytes RebuildResources(const PeImage& image, const ResourceTree& tree);

// Offset of the stored-value block (marker, CRC, probe offset) in the image,
// found in its ".kstval" section; throws when the marker is missing.
std::uint32_t StoredValuesOffset(const PeImage& image);

// Ones'-complement sum of 16-bit words used by the PE checksum, over data that
// starts at an even file offset; sums of consecutive pieces combine with ChecksumAdd.
std::uint32_t ChecksumPartial(const std::uint8_t* data, std::size_t size, std::uint32_t sum = 0);
std::uint32_t ChecksumAdd(std::uint32_t a, std::uint32_t b);
std::uint32_t ChecksumFinish(std::uint32_t sum, std::uint64_t fileLength);
// Offset of the checksum field.
inline std::uint32_t ChecksumFieldOffset(const PeImage& image) { return image.optionalOffset + 64; }

}  // namespace kit
