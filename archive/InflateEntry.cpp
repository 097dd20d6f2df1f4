// Raw deflate through zlib, checked against the declared size and CRC-32.
#include <zlib.h>

#include "ZipArchive.h"
#include "ZipRecords.h"

namespace {

// Ends an initialised stream that a failure leaves behind.
struct InflateStream {
    z_stream z{};
    bool open = false;
    ~InflateStream()
    {
        if (open)
            inflateEnd(&z);
    }
};

} // namespace

void ZipArchive::InflateEntry(const unsigned char* localHeader, File& target)
{
    const std::uint32_t size = Field32(localHeader, LOCAL_UNCOMPRESSED_SIZE);
    std::uint32_t remaining = Field32(localHeader, LOCAL_COMPRESSED_SIZE);
    std::uint32_t crc32 = 0;
    // Bytes written, counted in 64 bits: zlib's total_out would wrap.
    std::uint64_t produced = 0;

    InflateStream stream;
    z_stream& z = stream.z;
    z.zalloc = Z_NULL;
    z.zfree = Z_NULL;
    z.opaque = Z_NULL;
    z.next_in = Z_NULL;
    z.avail_in = 0;
    // Window bits -15: raw deflate data, no zlib header or trailer.
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK)
        throw XZip{XZIP_INFLATE};
    stream.open = true;

    int result = Z_OK;
    bool complete = false;
    do {
        if (z.avail_in == 0 && remaining != 0) {
            std::int32_t n = remaining < INPUT_BUFFER_SIZE ? static_cast<std::int32_t>(remaining) : INPUT_BUFFER_SIZE;
            z.next_in = inputBuffer;
            z.avail_in = static_cast<uInt>(n);
            file.Read(inputBuffer, n);
            remaining -= static_cast<std::uint32_t>(n);
        } else if (produced == size) {
            // Only in a round that reads nothing new: the declared size is
            // reached, whether or not zlib has seen the end of the stream.
            complete = true;
            break;
        }
        z.next_out = outputBuffer;
        z.avail_out = OUTPUT_BUFFER_SIZE;
        result = inflate(&z, Z_SYNC_FLUSH);
        if (z.avail_out < static_cast<uInt>(OUTPUT_BUFFER_SIZE)) {
            std::int32_t k = OUTPUT_BUFFER_SIZE - static_cast<std::int32_t>(z.avail_out);
            target.Write(outputBuffer, k);
            crc32 = Crc32Update(crc, crc32, outputBuffer, static_cast<std::size_t>(k));
            produced += static_cast<std::uint64_t>(k);
            OnFileProgress(Percent(produced, size));
            // More than declared can never become right: stop before a small
            // entry fills the disk.
            if (produced > size)
                break;
        }
    } while (result == Z_OK);

    if (!complete && result != Z_STREAM_END)
        throw XZip{XZIP_INFLATE};
    if (produced != size)
        throw XZip{XZIP_INFLATE};
    stream.open = false;
    if (inflateEnd(&z) != Z_OK)
        throw XZip{XZIP_INFLATE};
    if (crc32 != Field32(localHeader, LOCAL_CRC))
        throw XZip{XZIP_CORRUPT};
}
