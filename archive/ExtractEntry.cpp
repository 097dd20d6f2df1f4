// Writing one entry: local header checks, target path, stored copy.
#include <cstring>

#include "BoundedText.h"
#include "ZipArchive.h"
#include "ZipRecords.h"

void ZipArchive::ExtractEntry(const char* installDir)
{
    if (Field32(centralRecord, CENTRAL_SIGNATURE) != CENTRAL_RECORD_SIGNATURE)
        throw XZip{XZIP_NO_CENTRAL_RECORD};

    unsigned char localHeader[LOCAL_HEADER_SIZE];
    file.Read(localHeader, LOCAL_HEADER_SIZE);
    if (Field32(localHeader, LOCAL_SIGNATURE) != LOCAL_HEADER_SIGNATURE)
        throw XZip{XZIP_MISSING_ENTRY};
    // Only the sizes are compared: the name, method, times and CRC-32 of the
    // local header are the ones used.
    if (Field32(localHeader, LOCAL_UNCOMPRESSED_SIZE) != Field32(centralRecord, CENTRAL_UNCOMPRESSED_SIZE) ||
        Field32(localHeader, LOCAL_COMPRESSED_SIZE) != Field32(centralRecord, CENTRAL_COMPRESSED_SIZE))
        throw XZip{XZIP_CORRUPT};
    file.Seek(Field16(localHeader, LOCAL_NAME_LENGTH) + Field16(localHeader, LOCAL_EXTRA_LENGTH), File::FROM_CURRENT);

    BuildTargetPath(installDir);
    CreateDirectoryChainOrThrow(entryPath);
    OnFileStart(entryPath);

    File target;
    target.Open(entryPath, "wb");
    switch (Field16(localHeader, LOCAL_METHOD)) {
    case METHOD_STORED:
        CopyStored(localHeader, target);
        break;
    case METHOD_DEFLATED:
        InflateEntry(localHeader, target);
        break;
    default:
        throw XZip{XZIP_BAD_METHOD};
    }
    target.Close();
    SetFileDosTime(entryPath, Field16(localHeader, LOCAL_DATE), Field16(localHeader, LOCAL_TIME));
}

void ZipArchive::BuildTargetPath(const char* installDir)
{
    // A target that does not fit 260 bytes is refused before anything is
    // made; a shorter install directory would take it, hence the folder text.
    char work[ENTRY_PATH_CAPACITY];
    if (!CopyText(work, sizeof work, installDir) || !AppendText(work, sizeof work, entryPath))
        throw XZip{XZIP_NO_DIRECTORY};
    for (char* p = work; *p != '\0'; ++p) {
        if (*p == '/')
            *p = '\\';
    }
    std::memcpy(entryPath, work, std::strlen(work) + 1);
}

void ZipArchive::CopyStored(const unsigned char* localHeader, File& target)
{
    const std::uint32_t size = Field32(localHeader, LOCAL_COMPRESSED_SIZE);
    std::uint32_t remaining = size;
    std::uint32_t crc32 = 0;
    while (remaining != 0) {
        std::int32_t n = remaining < OUTPUT_BUFFER_SIZE ? static_cast<std::int32_t>(remaining) : OUTPUT_BUFFER_SIZE;
        file.Read(outputBuffer, n);
        crc32 = Crc32Update(crc, crc32, outputBuffer, static_cast<std::size_t>(n));
        target.Write(outputBuffer, n);
        remaining -= static_cast<std::uint32_t>(n);
        OnFileProgress(Percent(size - remaining, size));
    }
    if (crc32 != Field32(localHeader, LOCAL_CRC))
        throw XZip{XZIP_CORRUPT};
}
