// ZipArchive: reads the ZIP archive appended to a file (the setup image) and
// extracts its entries into an install directory, reporting progress through
// three virtual hooks.
#pragma once

#include <cstdint>

#include "Crc32.h"
#include "Errors.h"
#include "File.h"

// Record sizes and signatures of the ZIP format (all fields little-endian).
constexpr std::int32_t END_RECORD_SIZE = 22;
constexpr std::int32_t CENTRAL_RECORD_SIZE = 46;
constexpr std::int32_t LOCAL_HEADER_SIZE = 30;
constexpr std::uint32_t END_RECORD_SIGNATURE = 0x06054B50;
constexpr std::uint32_t CENTRAL_RECORD_SIGNATURE = 0x02014B50;
constexpr std::uint32_t LOCAL_HEADER_SIGNATURE = 0x04034B50;

constexpr std::int32_t INPUT_BUFFER_SIZE = 4096;
constexpr std::int32_t OUTPUT_BUFFER_SIZE = 16384;
constexpr std::int32_t ENTRY_PATH_CAPACITY = 260;

class ZipArchive {
public:
    // Opens path ("rb") and reads the end record found by a backward search.
    // Raises XFile 1, 2 or 4, XZip 1 or 3, or bad_alloc.
    explicit ZipArchive(const char* path);
    // Frees the buffers and the CRC table, then closes the file (XFile 5).
    // Not virtual: an archive is destroyed as the type it was created as.
    ~ZipArchive() noexcept(false);

    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // Creates installDir (ends with a backslash) and extracts every file entry
    // into it. Raises XFile 2, 4, XZip 1, 2, 5, 6 and what ExtractEntry raises.
    // An entry name that would leave installDir, or of 260 bytes or more, is
    // refused with XZip 4 before anything is written for it; a target path
    // longer than 259 characters with XZip 6 (a shorter folder would do).
    void ExtractAll(const char* installDir);

    // Hooks, in slot order; they do nothing here.
    virtual void OnFileProgress(std::int32_t percent);
    virtual void OnTotalProgress(std::int32_t percent);
    virtual void OnFileStart(const char* targetPath);

    File file;
    Crc32 crc;
    unsigned char endRecord[END_RECORD_SIZE];
    unsigned char centralRecord[CENTRAL_RECORD_SIZE];
    unsigned char* inputBuffer;
    unsigned char* outputBuffer;
    char entryPath[ENTRY_PATH_CAPACITY];
    std::int32_t archiveStart; // bytes before the archive: the executable

protected:
    // Writes the current entry (file at its local header, centralRecord and
    // entryPath filled) below installDir.
    void ExtractEntry(const char* installDir);
    // Replaces the entry name in entryPath by the full target path.
    void BuildTargetPath(const char* installDir);
    void CopyStored(const unsigned char* localHeader, File& target);
    void InflateEntry(const unsigned char* localHeader, File& target);
    // CreateDirectoryChain, raising XZip 6 when it fails.
    static void CreateDirectoryChainOrThrow(const char* path);
};

// Sets all three file times from an MS-DOS date and time taken as local time;
// fails silently.
void SetFileDosTime(const char* path, std::uint16_t dosDate, std::uint16_t dosTime);
