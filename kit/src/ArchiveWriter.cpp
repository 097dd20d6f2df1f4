#include "ArchiveWriter.h"

#include "Diagnostics.h"

#include <chrono>
#include <deque>
#include <fstream>
#include <future>
#include <iostream>
#include <thread>
#include <zlib.h>

namespace kit {

namespace {

// Files up to this size are packed in memory, several at a time; larger ones
// are streamed straight into the output.
constexpr std::uint64_t kInMemoryLimit = 16u << 20;
constexpr std::size_t kChunk = 1 << 16;

struct Entry {
    std::string name;
    std::uint16_t method = 0, flags = 0;
    DosTime time;
    std::uint32_t crc = 0, compressed = 0, size = 0, offset = 0;
};

struct Packed {
    std::uint32_t crc = 0;
    std::uint16_t method = 0;
    std::uint64_t size = 0;
    Bytes data;
};

struct Deflater {
    z_stream z{};
    Deflater()
    {
        if (deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY) != Z_OK)
            throw KitError("zlib: cannot start deflate");
    }
    ~Deflater() { deflateEnd(&z); }
};

Packed PackInMemory(const PayloadFile& f)
{
    Packed p;
    Bytes raw(f.size);
    std::ifstream in(f.source, std::ios::binary);
    if (!in.read(reinterpret_cast<char*>(raw.data()), static_cast<std::streamsize>(raw.size())) || in.get() != EOF)
        throw KitError("payload file '" + f.nameUtf8 + "' cannot be read or changed while being read");
    p.size = raw.size();
    p.crc = static_cast<std::uint32_t>(crc32(0, raw.data(), static_cast<uInt>(raw.size())));
    Deflater d;
    p.data.resize(deflateBound(&d.z, static_cast<uLong>(raw.size())));
    d.z.next_in = raw.data();
    d.z.avail_in = static_cast<uInt>(raw.size());
    d.z.next_out = p.data.data();
    d.z.avail_out = static_cast<uInt>(p.data.size());
    if (deflate(&d.z, Z_FINISH) != Z_STREAM_END)
        throw KitError("zlib: deflate failed on '" + f.nameUtf8 + "'");
    if (d.z.total_out < raw.size()) {
        p.method = 8;
        p.data.resize(d.z.total_out);
    } else {
        p.method = 0;  // deflating did not shrink it
        p.data = std::move(raw);
    }
    return p;
}

// The fields that the local header and the central record share, in the
// same order: version needed to extract up to the name's length.
void AppendSharedFields(Bytes& h, const Entry& e)
{
    Append16(h, e.method == 8 ? 20 : 10);
    Append16(h, e.flags);
    Append16(h, e.method);
    Append16(h, e.time.time);
    Append16(h, e.time.date);
    Append32(h, e.crc);
    Append32(h, e.compressed);
    Append32(h, e.size);
    Append16(h, static_cast<std::uint32_t>(e.name.size()));
}

Bytes LocalHeader(const Entry& e)
{
    Bytes h;
    Append32(h, kLocalSignature);
    AppendSharedFields(h, e);
    Append16(h, 0);
    h.insert(h.end(), e.name.begin(), e.name.end());
    return h;
}

Bytes CentralHeader(const Entry& e)
{
    Bytes h;
    Append32(h, kCentralSignature);
    Append16(h, 20);  // made by: MS-DOS, version 2.0
    AppendSharedFields(h, e);
    Append16(h, 0);     // extra field
    Append16(h, 0);     // comment
    Append16(h, 0);     // disk
    Append16(h, 0);     // internal attributes
    Append32(h, 0x20);  // external attributes: the MS-DOS archive bit
    Append32(h, e.offset);
    h.insert(h.end(), e.name.begin(), e.name.end());
    return h;
}

struct Limits {
    std::uint64_t start;
    void Check(std::uint64_t end) const
    {
        if (end > kMaxImageSize)
            throw KitError("the setup image would pass 2 GiB; the setup program reads it with signed 32-bit offsets");
        if (end - start > 0xFFFFFFFFull)
            throw KitError("the archive would pass 4 GiB; its format has 32-bit offsets (no ZIP64)");
    }
};

// Streams one large file: deflated into the output, then the header patched;
// stored instead when deflating did not shrink it.
void StreamEntry(OutputFile& out, const PayloadFile& f, Entry& e, const Limits& limits)
{
    std::uint64_t headerAt = out.Position();
    out.Write(LocalHeader(e));
    std::uint64_t dataAt = out.Position();
    auto copy = [&](bool deflating) {
        std::ifstream in(f.source, std::ios::binary);
        if (!in)
            throw KitError("payload file '" + f.nameUtf8 + "' cannot be read");
        Deflater d;
        Bytes input(kChunk), output(kChunk);
        std::uint32_t crc = 0;
        std::uint64_t total = 0;
        for (;;) {
            in.read(reinterpret_cast<char*>(input.data()), kChunk);
            std::size_t n = static_cast<std::size_t>(in.gcount());
            total += n;
            crc = static_cast<std::uint32_t>(crc32(crc, input.data(), static_cast<uInt>(n)));
            bool last = n < kChunk;
            if (!deflating) {
                out.Write(input.data(), n);
            } else {
                d.z.next_in = input.data();
                d.z.avail_in = static_cast<uInt>(n);
                do {
                    d.z.next_out = output.data();
                    d.z.avail_out = static_cast<uInt>(output.size());
                    deflate(&d.z, last ? Z_FINISH : Z_NO_FLUSH);
                    out.Write(output.data(), output.size() - d.z.avail_out);
                } while (d.z.avail_out == 0);
            }
            limits.Check(out.Position());
            if (last)
                break;
        }
        if (total != f.size)
            throw KitError("payload file '" + f.nameUtf8 + "' changed while being read");
        e.crc = crc;
    };
    copy(true);
    std::uint64_t compressed = out.Position() - dataAt;
    if (compressed < f.size) {
        e.method = 8;
        e.flags = 2;
        e.compressed = static_cast<std::uint32_t>(compressed);
    } else {
        e.method = 0;
        e.flags = 0;
        e.compressed = static_cast<std::uint32_t>(f.size);
        out.Rewind(dataAt);
        copy(false);
    }
    Bytes header = LocalHeader(e);
    out.WriteAt(headerAt, header.data(), header.size());
}

struct Progress {
    bool enabled;
    std::uint64_t totalBytes = 0, doneBytes = 0;
    std::size_t totalFiles = 0, doneFiles = 0;
    std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now(), last = started;
    bool shown = false;

    void Step(std::uint64_t bytes)
    {
        doneBytes += bytes;
        ++doneFiles;
        auto now = std::chrono::steady_clock::now();
        if (!enabled || now - last < std::chrono::seconds(1) || now - started < std::chrono::seconds(1))
            return;
        last = now;
        shown = true;
        std::cerr << "mksetup: " << doneFiles << "/" << totalFiles << " files, " << (doneBytes >> 20) << "/"
                  << (totalBytes >> 20) << " MiB ("
                  << (totalBytes ? doneBytes * 100 / totalBytes : 100) << "%)\n";
    }
};

}  // namespace

WrittenArchive WriteArchive(OutputFile& out, const std::vector<PayloadFile>& files, const ArchiveOptions& options)
{
    if (files.empty())
        throw KitError("the archive would be empty: the setup program refuses an archive without entries");
    if (files.size() > kMaxEntries)
        throw KitError(std::to_string(files.size()) + " files; the archive format holds at most 65,535 entries");

    WrittenArchive result;
    result.start = out.Position();
    Limits limits{result.start};
    Progress progress{options.progress};
    for (const PayloadFile& f : files)
        progress.totalBytes += f.size;
    progress.totalFiles = files.size();

    // Small files are packed ahead on worker threads; the writer takes them in order.
    unsigned workers = options.jobs ? options.jobs : std::max(1u, std::min(8u, std::thread::hardware_concurrency()));
    std::size_t window = 2 * workers;
    std::deque<std::future<Packed>> ahead;
    std::size_t next = 0;
    auto launch = [&]() {
        while (ahead.size() < window && next < files.size()) {
            const PayloadFile& f = files[next++];
            if (f.size <= kInMemoryLimit)
                ahead.push_back(std::async(std::launch::async, PackInMemory, std::cref(f)));
            else
                ahead.push_back(std::async(std::launch::deferred, [] { return Packed{}; }));
        }
    };

    std::vector<Entry> entries;
    for (std::size_t i = 0; i < files.size(); ++i) {
        launch();
        Packed packed = ahead.front().get();
        ahead.pop_front();
        const PayloadFile& f = files[i];
        Entry e;
        e.name = f.name;
        e.time = ToDosTime(options.fixedTime ? *options.fixedTime : f.mtime);
        e.size = static_cast<std::uint32_t>(f.size);
        limits.Check(out.Position());
        e.offset = static_cast<std::uint32_t>(out.Position() - result.start);
        if (f.size <= kInMemoryLimit) {
            if (packed.size != f.size)
                throw KitError("payload file '" + f.nameUtf8 + "' changed while being read");
            e.method = packed.method;
            e.flags = packed.method == 8 ? 2 : 0;  // 2: deflated at the best level
            e.crc = packed.crc;
            e.compressed = static_cast<std::uint32_t>(packed.data.size());
            limits.Check(out.Position() + kLocalHeaderSize + e.name.size() + packed.data.size());
            out.Write(LocalHeader(e));
            out.Write(packed.data);
        } else {
            StreamEntry(out, f, e, limits);
        }
        result.storedBytes += e.compressed;
        result.originalBytes += f.size;
        entries.push_back(std::move(e));
        progress.Step(f.size);
    }

    std::uint64_t central = out.Position();
    for (const Entry& e : entries)
        out.Write(CentralHeader(e));
    std::uint64_t centralSize = out.Position() - central;
    limits.Check(out.Position() + kEndRecordSize);
    Bytes end;
    Append32(end, kEndSignature);
    Append16(end, 0);
    Append16(end, 0);
    Append16(end, static_cast<std::uint32_t>(entries.size()));
    Append16(end, static_cast<std::uint32_t>(entries.size()));
    Append32(end, static_cast<std::uint32_t>(centralSize));
    Append32(end, static_cast<std::uint32_t>(central - result.start));
    Append16(end, 0);
    out.Write(end);
    result.entries = entries.size();
    if (progress.shown)
        std::cerr << "mksetup: " << entries.size() << " files packed\n";
    return result;
}

}  // namespace kit
