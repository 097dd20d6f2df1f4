#include "PeImage.h"

#include "Diagnostics.h"

#include <algorithm>
#include <cstring>

namespace kit {

namespace {

constexpr std::uint32_t kDiscardable = 0x02000000u;
constexpr int kResourceDir = 2, kSecurityDir = 4;
const char kMarker[16] = {'K', 'S', 'T', 'V', 'A', 'L', 'U', 'E', 'S', '-', 'S', 'T', 'O', 'R', 'E', '1'};

}  // namespace

std::uint32_t PeImage::DataDirRva(int index) const
{
    return index < static_cast<int>(dataDirCount) ? Get32(bytes.data() + optionalOffset + 96 + 8 * index) : 0;
}

std::uint32_t PeImage::DataDirSize(int index) const
{
    return index < static_cast<int>(dataDirCount) ? Get32(bytes.data() + optionalOffset + 100 + 8 * index) : 0;
}

long long PeImage::RvaToOffset(std::uint32_t rva, std::uint32_t size) const
{
    for (const Section& s : sections) {
        std::uint64_t start = s.virtualAddress;
        if (rva >= start && static_cast<std::uint64_t>(rva) + size <= start + s.rawSize)
            return static_cast<long long>(s.rawPointer) + (rva - s.virtualAddress);
    }
    return -1;
}

std::uint32_t PeImage::RawEnd() const
{
    std::uint32_t end = Get32(bytes.data() + optionalOffset + 60);  // SizeOfHeaders
    for (const Section& s : sections)
        if (s.rawSize)
            end = std::max(end, s.rawPointer + s.rawSize);
    return end;
}

PeImage ParsePe(Bytes bytes, const std::string& what)
{
    PeImage pe;
    pe.bytes = std::move(bytes);
    const Bytes& b = pe.bytes;
    auto fail = [&](const std::string& why) { return KitError(what + ": " + why); };
    if (b.size() < 64 || b[0] != 'M' || b[1] != 'Z')
        throw fail("not a Windows program (no MZ header)");
    pe.peOffset = Get32(b.data() + 60);
    if (pe.peOffset > b.size() - 24 || std::memcmp(b.data() + pe.peOffset, "PE\0\0", 4) != 0)
        throw fail("not a PE image");
    const std::uint8_t* coff = b.data() + pe.peOffset + 4;
    std::uint16_t machine = Get16(coff), sectionCount = Get16(coff + 2), optionalSize = Get16(coff + 16);
    if (machine != 0x14C)
        throw fail("not a 32-bit x86 (i386) image");
    pe.optionalOffset = pe.peOffset + 24;
    pe.sectionTable = pe.optionalOffset + optionalSize;
    if (optionalSize < 96 || pe.sectionTable + 40ull * sectionCount > b.size())
        throw fail("truncated headers");
    if (Get16(b.data() + pe.optionalOffset) != 0x10B)
        throw fail("not a PE32 image");
    pe.sectionAlignment = Get32(b.data() + pe.optionalOffset + 32);
    pe.fileAlignment = Get32(b.data() + pe.optionalOffset + 36);
    pe.dataDirCount = std::min<std::uint32_t>(Get32(b.data() + pe.optionalOffset + 92), (optionalSize - 96) / 8);
    if (pe.fileAlignment == 0 || pe.sectionAlignment == 0)
        throw fail("zero alignment");
    for (std::uint16_t i = 0; i < sectionCount; ++i) {
        const std::uint8_t* h = b.data() + pe.sectionTable + 40 * i;
        Section s;
        s.name.assign(reinterpret_cast<const char*>(h), strnlen(reinterpret_cast<const char*>(h), 8));
        s.virtualSize = Get32(h + 8);
        s.virtualAddress = Get32(h + 12);
        s.rawSize = Get32(h + 16);
        s.rawPointer = Get32(h + 20);
        s.characteristics = Get32(h + 36);
        if (s.rawSize && (s.rawPointer > b.size() || s.rawSize > b.size() - s.rawPointer))
            throw fail("section " + s.name + " lies outside the file");
        pe.sections.push_back(s);
    }
    for (std::size_t i = 1; i < pe.sections.size(); ++i)
        if (pe.sections[i].virtualAddress <= pe.sections[i - 1].virtualAddress)
            throw fail("sections are not in address order");
    return pe;
}

ResourceTree ReadResources(const PeImage& image)
{
    std::uint32_t rva = image.DataDirRva(kResourceDir);
    if (!rva)
        return {};
    long long at = image.RvaToOffset(rva, 16);
    if (at < 0)
        throw KitError("stub: resource directory outside every section");
    // The section's bytes from the directory on; leaf data is fetched by RVA.
    const Section* home = nullptr;
    for (const Section& s : image.sections)
        if (rva >= s.virtualAddress && rva < s.virtualAddress + std::max(s.virtualSize, s.rawSize))
            home = &s;
    std::uint32_t limit = home->rawPointer + home->rawSize;
    Bytes section(image.bytes.begin() + at, image.bytes.begin() + limit);
    auto readRva = [&](std::uint32_t r, std::uint32_t size) {
        long long off = image.RvaToOffset(r, size);
        if (off < 0)
            throw KitError("stub: resource data outside every section");
        return Bytes(image.bytes.begin() + off, image.bytes.begin() + off + size);
    };
    return ParseResources(section, readRva);
}

Bytes RebuildResources(const PeImage& image, const ResourceTree& tree)
{
    const Bytes& old = image.bytes;
    std::uint32_t rva = image.DataDirRva(kResourceDir);
    std::size_t r = image.sections.size();
    for (std::size_t i = 0; i < image.sections.size(); ++i)
        if (image.sections[i].virtualAddress == rva)
            r = i;
    if (!rva || r == image.sections.size())
        throw KitError("stub: the resource directory does not start a section of its own");
    const Section& res = image.sections[r];

    // Sections behind the resources move with them: only data that no code
    // addresses may follow (relocations, debug information).
    for (std::size_t i = r + 1; i < image.sections.size(); ++i) {
        const Section& s = image.sections[i];
        if (s.name != ".reloc" && !(s.characteristics & kDiscardable))
            throw KitError("stub: section " + s.name + " follows the resources and cannot be moved");
        if (s.rawSize && s.rawPointer < res.rawPointer)
            throw KitError("stub: section order in the file differs from the address order");
    }
    for (std::size_t i = 0; i < r; ++i) {
        const Section& s = image.sections[i];
        if (s.rawSize && s.rawPointer + s.rawSize > res.rawPointer)
            throw KitError("stub: section " + s.name + " lies behind the resources in the file");
    }

    // What follows the sections: the COFF symbol table (kept) and a certificate
    // (dropped: any signature is void once the image changes). Anything else
    // means the stub is not a plain program.
    const std::uint8_t* coff = old.data() + image.peOffset + 4;
    std::uint32_t symbols = Get32(coff + 8), symbolCount = Get32(coff + 12);
    std::uint32_t rawEnd = image.RawEnd();
    std::uint32_t certOffset = image.DataDirRva(kSecurityDir), certSize = image.DataDirSize(kSecurityDir);
    Bytes overlay;
    std::uint32_t overlayEnd = rawEnd;
    if (symbols && symbols >= rawEnd) {
        std::uint64_t tableEnd = symbols + 18ull * symbolCount;
        if (tableEnd + 4 > old.size())
            throw KitError("stub: symbol table cut short");
        std::uint64_t stringsEnd = tableEnd + Get32(old.data() + tableEnd);
        if (stringsEnd > old.size())
            throw KitError("stub: symbol names cut short");
        if (symbols != rawEnd)
            throw KitError("stub: unexpected data before its symbol table");
        overlay.assign(old.begin() + symbols, old.begin() + static_cast<std::ptrdiff_t>(stringsEnd));
        overlayEnd = static_cast<std::uint32_t>(stringsEnd);
    }
    if (certOffset && certSize) {
        std::uint64_t certEnd = static_cast<std::uint64_t>(certOffset) + certSize;
        if (certOffset < overlayEnd || certEnd > old.size())
            throw KitError("stub: bad certificate table");
        overlayEnd = static_cast<std::uint32_t>(certEnd);
    }
    if (overlayEnd < old.size())
        throw KitError("stub: data is appended to it (is it a setup image already?)");

    Bytes resBytes = SerializeResources(tree, res.virtualAddress);
    std::uint32_t resRaw = AlignUp(static_cast<std::uint32_t>(resBytes.size()), image.fileAlignment);

    std::vector<Section> sections = image.sections;
    sections[r].virtualSize = static_cast<std::uint32_t>(resBytes.size());
    sections[r].rawSize = resRaw;
    std::uint32_t nextRaw = res.rawPointer + resRaw;
    std::uint32_t nextVa = AlignUp(res.virtualAddress + static_cast<std::uint32_t>(resBytes.size()), image.sectionAlignment);
    for (std::size_t i = r + 1; i < sections.size(); ++i) {
        Section& s = sections[i];
        s.virtualAddress = nextVa;
        nextVa = AlignUp(nextVa + std::max(s.virtualSize, s.rawSize), image.sectionAlignment);
        if (s.rawSize) {
            s.rawPointer = nextRaw;
            nextRaw += s.rawSize;
        }
    }

    Bytes out(old.begin(), old.begin() + res.rawPointer);
    out.insert(out.end(), resBytes.begin(), resBytes.end());
    out.resize(res.rawPointer + resRaw, 0);
    for (std::size_t i = r + 1; i < sections.size(); ++i) {
        const Section& was = image.sections[i];
        if (was.rawSize)
            out.insert(out.end(), old.begin() + was.rawPointer, old.begin() + was.rawPointer + was.rawSize);
    }
    std::uint32_t newSymbols = overlay.empty() ? 0 : static_cast<std::uint32_t>(out.size());
    out.insert(out.end(), overlay.begin(), overlay.end());
    // The appended archive starts at an even offset: the checksum is summed in 16-bit words.
    if (out.size() % 2)
        out.push_back(0);

    std::uint8_t* h = out.data();
    Put32(h + image.peOffset + 4 + 8, newSymbols);
    if (!newSymbols)
        Put32(h + image.peOffset + 4 + 12, 0);
    for (std::size_t i = 0; i < sections.size(); ++i) {
        std::uint8_t* sh = h + image.sectionTable + 40 * i;
        Put32(sh + 8, sections[i].virtualSize);
        Put32(sh + 12, sections[i].virtualAddress);
        Put32(sh + 16, sections[i].rawSize);
        Put32(sh + 20, sections[i].rawPointer);
    }
    std::uint32_t opt = image.optionalOffset;
    std::uint32_t initData = Get32(h + opt + 8) - res.rawSize + resRaw;
    Put32(h + opt + 8, initData);
    Put32(h + opt + 56, nextVa);  // SizeOfImage
    Put32(h + opt + 64, 0);       // CheckSum, written once the file is complete
    for (std::uint32_t d = 0; d < image.dataDirCount; ++d) {
        std::uint8_t* dir = h + opt + 96 + 8 * d;
        if (d == kResourceDir) {
            Put32(dir + 4, static_cast<std::uint32_t>(resBytes.size()));
        } else if (d == kSecurityDir) {
            Put32(dir, 0);
            Put32(dir + 4, 0);
        } else if (std::uint32_t at = Get32(dir)) {
            for (std::size_t i = r + 1; i < sections.size(); ++i) {
                const Section& was = image.sections[i];
                if (at >= was.virtualAddress && at < was.virtualAddress + std::max(was.virtualSize, was.rawSize))
                    Put32(dir, at - was.virtualAddress + sections[i].virtualAddress);
            }
        }
    }
    return out;
}

std::uint32_t StoredValuesOffset(const PeImage& image)
{
    for (const Section& s : image.sections) {
        if (s.name != ".kstval")
            continue;
        if (s.rawSize >= 24 && std::memcmp(image.bytes.data() + s.rawPointer, kMarker, 16) == 0)
            return s.rawPointer;
    }
    throw KitError("no stored-value block (section .kstval with its marker) in the image");
}

std::uint32_t ChecksumPartial(const std::uint8_t* data, std::size_t size, std::uint32_t sum)
{
    std::size_t i = 0;
    for (; i + 1 < size; i += 2) {
        sum += static_cast<std::uint32_t>(data[i] | (data[i + 1] << 8));
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    if (i < size) {
        sum += data[i];
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    return sum;
}

std::uint32_t ChecksumAdd(std::uint32_t a, std::uint32_t b)
{
    std::uint32_t sum = a + b;
    sum = (sum & 0xFFFF) + (sum >> 16);
    return (sum & 0xFFFF) + (sum >> 16);
}

std::uint32_t ChecksumFinish(std::uint32_t sum, std::uint64_t fileLength)
{
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<std::uint32_t>(sum + fileLength);
}

}  // namespace kit
