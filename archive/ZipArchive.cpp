// Locating the archive from the end of the file and walking its central
// directory. Extraction of single entries is in ExtractEntry.cpp.
#include "ZipArchive.h"

#include <windows.h>

#include <cstring>
#include <memory>

#include "EntryName.h"
#include "PathHelpers.h"
#include "ZipRecords.h"

namespace {

// Distances of 22 to 65,556 bytes from the end: comments up to 65,534 bytes.
constexpr std::int32_t END_SEARCH_POSITIONS = 65535;

// Distances are computed from 32-bit record fields in 64 bits; one that does
// not fit the stream's 32-bit offsets cannot be reached.
void SeekFromEnd(File& file, std::int64_t distance)
{
    if (distance < INT32_MIN || distance > INT32_MAX)
        throw XFile{XFILE_SEEK};
    file.Seek(static_cast<std::int32_t>(distance), File::FROM_END);
}

// True when the text up to the last backslash of path names a folder.
bool DeepestFolderExists(const char* path)
{
    const char* last = std::strrchr(path, '\\');
    if (last == nullptr || std::strlen(path) >= PATH_CAPACITY)
        return false;
    char folder[PATH_CAPACITY];
    std::size_t n = static_cast<std::size_t>(last - path) + 1;
    std::memcpy(folder, path, n);
    folder[n] = '\0';
    DWORD attributes = GetFileAttributesA(folder);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

} // namespace

ZipArchive::ZipArchive(const char* path) : inputBuffer(nullptr), outputBuffer(nullptr), archiveStart(0)
{
    std::memset(endRecord, 0, sizeof endRecord);
    std::memset(centralRecord, 0, sizeof centralRecord);
    entryPath[0] = '\0';

    file.Open(path, "rb");

    // Backwards one byte at a time, so the record nearest the end wins.
    std::int32_t k = 0;
    for (;; ++k) {
        if (k == END_SEARCH_POSITIONS)
            throw XZip{XZIP_NO_END_RECORD};
        file.Seek(-(END_RECORD_SIZE + k), File::FROM_END);
        unsigned char signature[4];
        file.Read(signature, 4);
        if (Field32(signature, 0) == END_RECORD_SIGNATURE)
            break;
    }
    file.Seek(-(END_RECORD_SIZE + k), File::FROM_END);
    file.Read(endRecord, END_RECORD_SIZE);
    if (Field32(endRecord, END_SIGNATURE) != END_RECORD_SIGNATURE)
        throw XZip{XZIP_NO_END_RECORD};
    if (Field16(endRecord, END_TOTAL_ENTRIES) == 0)
        throw XZip{XZIP_MISSING_ENTRY};

    // Held until the constructor completes, so a failure below frees them.
    std::unique_ptr<unsigned char[]> input(new unsigned char[INPUT_BUFFER_SIZE]);
    std::unique_ptr<unsigned char[]> output(new unsigned char[OUTPUT_BUFFER_SIZE]);

    std::uint32_t length = static_cast<std::uint32_t>(file.Length());
    // The comment length from the record, not the distance of the hit; the
    // offsets count from the archive's first byte. Modulo 2^32 like the
    // fields themselves: a damaged record gives a wrong start, never a fault.
    std::uint32_t start = length - Field16(endRecord, END_COMMENT_LENGTH) -
                          Field32(endRecord, END_DIRECTORY_SIZE) - END_RECORD_SIZE -
                          Field32(endRecord, END_DIRECTORY_OFFSET);
    archiveStart = static_cast<std::int32_t>(start);

    inputBuffer = input.release();
    outputBuffer = output.release();
}

ZipArchive::~ZipArchive() noexcept(false)
{
    delete[] inputBuffer;
    delete[] outputBuffer;
    // Then crc frees its table and file closes the stream (XFile 5), in the
    // reverse order of their declaration.
}

void ZipArchive::OnFileProgress(std::int32_t) {}
void ZipArchive::OnTotalProgress(std::int32_t) {}
void ZipArchive::OnFileStart(const char*) {}

void ZipArchive::CreateDirectoryChainOrThrow(const char* path)
{
    // Most entries go to a folder that is already there, and a folder's
    // parents always exist: one look at the deepest folder spares walking the
    // whole chain from the drive for every file.
    if (DeepestFolderExists(path))
        return;
    if (!CreateDirectoryChain(path))
        throw XZip{XZIP_NO_DIRECTORY};
}

void ZipArchive::ExtractAll(const char* installDir)
{
    if (Field32(endRecord, END_SIGNATURE) != END_RECORD_SIGNATURE)
        throw XZip{XZIP_NO_END_RECORD};
    CreateDirectoryChainOrThrow(installDir);

    // Distances back from the end of the file: the first central record, and
    // the archive's first byte.
    std::int64_t c = -(std::int64_t{END_RECORD_SIZE} + Field16(endRecord, END_COMMENT_LENGTH) +
                       Field32(endRecord, END_DIRECTORY_SIZE));
    const std::int64_t s = c - Field32(endRecord, END_DIRECTORY_OFFSET);
    const std::uint16_t total = Field16(endRecord, END_TOTAL_ENTRIES);

    for (std::uint16_t i = 0; i < total; ++i) {
        SeekFromEnd(file, c);
        file.Read(centralRecord, CENTRAL_RECORD_SIZE);
        if (Field32(centralRecord, CENTRAL_SIGNATURE) != CENTRAL_RECORD_SIGNATURE)
            throw XZip{XZIP_NO_CENTRAL_RECORD};
        std::uint16_t method = Field16(centralRecord, CENTRAL_METHOD);
        if (method != METHOD_STORED && method != METHOD_DEFLATED)
            throw XZip{XZIP_BAD_METHOD};

        // A name must fit entryPath with its NUL; a longer one can never be
        // extracted under any install directory.
        std::uint16_t nameLength = Field16(centralRecord, CENTRAL_NAME_LENGTH);
        if (nameLength == 0)
            throw XFile{XFILE_READ};
        if (nameLength >= ENTRY_PATH_CAPACITY)
            throw XZip{XZIP_CORRUPT};
        file.Read(entryPath, nameLength);
        entryPath[nameLength] = '\0';
        if (!IsSafeEntryName(entryPath, nameLength))
            throw XZip{XZIP_CORRUPT};

        OnTotalProgress(Percent(i, total));
        OnFileProgress(0);

        // A name ending in '/' is a folder entry: folders are made only as
        // parents of extracted files.
        if (entryPath[nameLength - 1] != '/') {
            SeekFromEnd(file, s + Field32(centralRecord, CENTRAL_LOCAL_OFFSET));
            ExtractEntry(installDir);
        }
        c += CENTRAL_RECORD_SIZE + std::int64_t{nameLength} + Field16(centralRecord, CENTRAL_EXTRA_LENGTH) +
             Field16(centralRecord, CENTRAL_COMMENT_LENGTH);
    }
    OnTotalProgress(100);
}
