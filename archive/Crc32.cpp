#include "Crc32.h"

#include "File.h"

Crc32::Crc32() : table(new std::uint32_t[256])
{
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
        table[i] = c;
    }
}

Crc32::~Crc32()
{
    delete[] table;
}

std::uint32_t Crc32Update(const Crc32& crc32, std::uint32_t crc, const void* bytes, std::size_t count)
{
    const std::uint32_t* table = crc32.table;
    const unsigned char* p = static_cast<const unsigned char*>(bytes);
    std::uint32_t c = crc ^ 0xFFFFFFFFu;
    for (std::size_t i = 0; i < count; ++i)
        c = table[(c ^ p[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

std::uint32_t FileCrc(const Crc32& crc32, const char* path, std::int32_t offset)
{
    File file;
    file.Open(path, "rb");
    std::int32_t length = file.Length();
    // An offset outside the file has no tail to check: refuse it as a seek
    // failure instead of reading a negative count.
    if (offset < 0 || offset > length)
        throw XFile{XFILE_SEEK};
    file.Seek(offset, File::FROM_START);

    unsigned char block[4096];
    std::int32_t remaining = length - offset;
    std::uint32_t crc = 0;
    while (remaining != 0) {
        std::int32_t n = remaining < 4096 ? remaining : 4096;
        file.Read(block, n);
        crc = Crc32Update(crc32, crc, block, static_cast<std::size_t>(n));
        remaining -= n;
    }
    file.Close();
    return crc;
}
