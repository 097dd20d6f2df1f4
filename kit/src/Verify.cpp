#include "Verify.h"

#include "Bytes.h"
#include "Diagnostics.h"
#include "PeImage.h"
#include "Platform.h"
#include "Payload.h"
#include "Product.h"
#include "Text.h"
#include "Zip.h"

#include <algorithm>
#include <cstdio>
#include <iomanip>
#include <memory>
#include <sstream>
#include <vector>
#include <zlib.h>

namespace kit {

namespace {

struct InFile {
    std::FILE* f = nullptr;
    std::uint64_t length = 0;
    ~InFile()
    {
        if (f)
            std::fclose(f);
    }
    bool Read(std::uint64_t at, void* data, std::size_t size)
    {
        if (at > length || size > length - at)
            return false;
        return SeekFile(f, at, SEEK_SET) && std::fread(data, 1, size, f) == size;
    }
};

struct Fault {
    std::vector<std::string> items;
    void Add(const std::string& text) { items.push_back(text); }
};

struct EntryInfo {
    std::string name;
    std::uint16_t method = 0, flags = 0;
    DosTime time;
    std::uint32_t crc = 0, compressed = 0, size = 0, offset = 0;
};

// Reads the entry's data at `at` and checks size and CRC-32 by inflating it.
std::string CheckData(InFile& in, std::uint64_t at, const EntryInfo& e)
{
    Bytes input(1 << 16), output(1 << 16);
    std::uint32_t crc = 0;
    std::uint64_t produced = 0, remaining = e.compressed;
    z_stream z{};
    if (e.method == 8 && inflateInit2(&z, -15) != Z_OK)
        return "zlib cannot start";
    std::unique_ptr<z_stream, void (*)(z_stream*)> guard(e.method == 8 ? &z : nullptr,
                                                         [](z_stream* s) { inflateEnd(s); });
    int status = Z_OK;
    while (remaining > 0 || (e.method == 8 && status != Z_STREAM_END && z.avail_in > 0)) {
        std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, input.size()));
        if (n && !in.Read(at, input.data(), n))
            return "data runs past the end of the file";
        at += n;
        remaining -= n;
        if (e.method == 0) {
            crc = static_cast<std::uint32_t>(crc32(crc, input.data(), static_cast<uInt>(n)));
            produced += n;
            continue;
        }
        z.next_in = input.data();
        z.avail_in = static_cast<uInt>(n);
        do {
            z.next_out = output.data();
            z.avail_out = static_cast<uInt>(output.size());
            status = inflate(&z, Z_NO_FLUSH);
            if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR)
                return "deflated data is corrupt";
            std::size_t k = output.size() - z.avail_out;
            crc = static_cast<std::uint32_t>(crc32(crc, output.data(), static_cast<uInt>(k)));
            produced += k;
        } while (z.avail_out == 0 && status != Z_STREAM_END);
        if (status == Z_STREAM_END)
            break;
        if (remaining == 0 && status != Z_STREAM_END)
            return "deflated data ends before its stream does";
    }
    if (produced != e.size)
        return "gives " + std::to_string(produced) + " bytes, not the " + std::to_string(e.size) + " declared";
    if (crc != e.crc)
        return "CRC-32 of the data does not match the header";
    return {};
}

std::string Hex(std::uint32_t v)
{
    std::ostringstream s;
    s << "0x" << std::hex << std::setw(8) << std::setfill('0') << v;
    return s.str();
}

}  // namespace

int Verify(const std::string& path, bool fullCheck, std::ostream& out)
{
    InFile in;
    in.f = std::fopen(path.c_str(), "rb");
    if (!in.f || !SeekFile(in.f, 0, SEEK_END)) {
        out << path << ": cannot open\n";
        return 1;
    }
    in.length = TellFile(in.f);
    Fault fault;
    if (in.length > kMaxImageSize)
        fault.Add("the file is 2 GiB or larger; the setup program seeks with signed 32-bit offsets");

    // The end record: the setup program tries 65,535 positions, nearest the end first.
    std::uint64_t tail = std::min<std::uint64_t>(in.length, kEndRecordSize + kMaxEndSearch - 1);
    Bytes back(tail);
    if (!in.Read(in.length - tail, back.data(), tail)) {
        out << path << ": cannot read\n";
        return 1;
    }
    long long endAt = -1;
    for (std::uint64_t k = 0; k < kMaxEndSearch && kEndRecordSize + k <= in.length; ++k) {
        std::uint64_t pos = in.length - kEndRecordSize - k;
        if (Get32(back.data() + (pos - (in.length - tail))) == kEndSignature) {
            endAt = static_cast<long long>(pos);
            break;
        }
    }
    if (endAt < 0) {
        out << path << ": FAULT: no end-of-central-directory record within 65,556 bytes of the end\n";
        return 1;
    }
    const std::uint8_t* end = back.data() + (endAt - (in.length - tail));
    std::uint32_t total = Get16(end + 10), centralSize = Get32(end + 12), centralOffset = Get32(end + 16);
    std::uint32_t commentLength = Get16(end + 20);
    long long start = static_cast<long long>(in.length) - commentLength - centralSize - kEndRecordSize - centralOffset;
    long long centralAt = static_cast<long long>(in.length) - kEndRecordSize - commentLength - centralSize;
    if (total == 0)
        fault.Add("the end record counts no entries");
    if (start < 0 || centralAt < start) {
        out << path << ": FAULT: the end record's sizes and offsets place the archive before the file's start\n";
        return 1;
    }
    if (static_cast<long long>(in.length) - commentLength - kEndRecordSize != endAt)
        fault.Add("the end record's comment length does not reach the end of the file (bytes appended?)");

    // Configuration and stored values from the image in front of the archive.
    std::uint32_t storedCrc = 0;
    bool haveValues = false;
    std::optional<PeImage> image;
    if (!fullCheck) {
        // list: the entries only, also of a plain ZIP file.
    } else if (start > 0) {
        Bytes head(static_cast<std::size_t>(start));
        in.Read(0, head.data(), head.size());
        try {
            image = ParsePe(std::move(head), "image");
            std::uint32_t at = StoredValuesOffset(*image);
            storedCrc = Get32(image->bytes.data() + at + 16);
            haveValues = true;
            out << "stored values: ExpectedArchiveCrc " << Hex(storedCrc) << ", FreeSpaceProbeOffset "
                    << static_cast<std::int32_t>(Get32(image->bytes.data() + at + 20)) << "\n";
        } catch (const KitError& e) {
            fault.Add(e.what());
        }
    } else {
        fault.Add("nothing precedes the archive: not a setup image");
    }

    if (fullCheck && haveValues) {
        std::uint32_t crc = 0, sum = 0;
        std::uint32_t field = ChecksumFieldOffset(*image);
        std::uint32_t storedSum = Get32(image->bytes.data() + field);
        Bytes buffer(1 << 20);
        for (std::uint64_t at = 0; at < in.length;) {
            std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), in.length - at));
            in.Read(at, buffer.data(), n);
            if (at <= field && field + 4 <= at + n)
                std::fill(buffer.begin() + (field - at), buffer.begin() + (field - at) + 4, 0);
            sum = ChecksumPartial(buffer.data(), n, sum);
            std::uint64_t from = std::max<std::uint64_t>(at, static_cast<std::uint64_t>(start));
            if (from < at + n)
                crc = static_cast<std::uint32_t>(crc32(crc, buffer.data() + (from - at), static_cast<uInt>(at + n - from)));
            at += n;
        }
        if (crc != storedCrc)
            fault.Add("archive CRC-32 is " + Hex(crc) + " but the image expects " + Hex(storedCrc) +
                      " (the setup program would refuse it)");
        if (storedSum != 0 && storedSum != ChecksumFinish(sum, in.length))
            fault.Add("the PE checksum does not match the file (" + Hex(storedSum) + " stored, " +
                      Hex(ChecksumFinish(sum, in.length)) + " computed)");
    }

    // The central directory, record by record, each checked against its local header.
    std::vector<EntryInfo> entries;
    std::uint64_t c = static_cast<std::uint64_t>(centralAt);
    for (std::uint32_t i = 0; i < total; ++i) {
        std::uint8_t h[kCentralHeaderSize];
        std::string where = "central record " + std::to_string(i + 1);
        if (c + kCentralHeaderSize > static_cast<std::uint64_t>(endAt) || !in.Read(c, h, sizeof h) ||
            Get32(h) != kCentralSignature) {
            fault.Add(where + ": no central record where the directory says");
            break;
        }
        EntryInfo e;
        e.flags = Get16(h + 8);
        e.method = Get16(h + 10);
        e.time = {Get16(h + 12), Get16(h + 14)};
        e.crc = Get32(h + 16);
        e.compressed = Get32(h + 20);
        e.size = Get32(h + 24);
        std::uint32_t nameLength = Get16(h + 28), extra = Get16(h + 30), comment = Get16(h + 32);
        e.offset = Get32(h + 42);
        e.name.resize(nameLength);
        if (nameLength && !in.Read(c + kCentralHeaderSize, e.name.data(), nameLength)) {
            fault.Add(where + ": name cut short");
            break;
        }
        where += " '" + Cp1252ToUtf8(e.name) + "'";
        if (e.method != 0 && e.method != 8)
            fault.Add(where + ": compression method " + std::to_string(e.method) + " (only 0 and 8 are read)");
        if (nameLength == 0 || nameLength > 259)
            fault.Add(where + ": name length " + std::to_string(nameLength) + " (1 to 259 are read)");
        if (e.flags & 1)
            fault.Add(where + ": encrypted");
        if (e.flags & 8)
            fault.Add(where + ": sizes deferred to a data descriptor");
        if (e.compressed == 0xFFFFFFFFu || e.size == 0xFFFFFFFFu || e.offset == 0xFFFFFFFFu)
            fault.Add(where + ": ZIP64 values");
        std::string slashed = e.name;
        std::replace(slashed.begin(), slashed.end(), '\\', '/');
        if (slashed.find(':') != std::string::npos || (!slashed.empty() && slashed[0] == '/') ||
            ("/" + slashed + "/").find("/../") != std::string::npos)
            fault.Add(where + ": the name leaves the install directory");
        bool directory = !e.name.empty() && e.name.back() == '/';
        if (!directory && fullCheck) {
            std::uint8_t l[kLocalHeaderSize];
            std::uint64_t at = static_cast<std::uint64_t>(start) + e.offset;
            if (!in.Read(at, l, sizeof l) || Get32(l) != kLocalSignature) {
                fault.Add(where + ": no local header at its offset");
            } else if (Get32(l + 18) != e.compressed || Get32(l + 22) != e.size) {
                fault.Add(where + ": local header sizes differ from the central record");
            } else if (Get16(l + 8) != e.method || Get32(l + 14) != e.crc) {
                fault.Add(where + ": local header method or CRC-32 differs from the central record");
            } else {
                std::string problem =
                    CheckData(in, at + kLocalHeaderSize + Get16(l + 26) + Get16(l + 28), e);
                if (!problem.empty())
                    fault.Add(where + ": " + problem);
            }
        }
        entries.push_back(std::move(e));
        c += kCentralHeaderSize + nameLength + extra + comment;
    }
    if (entries.size() == total && c != static_cast<std::uint64_t>(centralAt) + centralSize)
        fault.Add("the central directory's size does not match its records");

    if (fullCheck && image) {
        try {
            ResourceTree tree = ReadResources(*image);
            out << "configuration rows:\n";
            for (int row = kFirstProductRow; row <= kLastProductRow; ++row) {
                std::u16string text = GetStringRow(tree, row);
                if (!text.empty())
                    out << "  " << row << "  " << Utf16ToUtf8(text) << "\n";
            }
            for (int row : {10010, 10011, 10014})
                if (GetStringRow(tree, row).empty())
                    fault.Add("required row " + std::to_string(row) + " is empty");
            std::string uninstaller = *Utf8ToCp1252(Utf16ToUtf8(GetStringRow(tree, 10013)));
            bool found = uninstaller.empty();
            for (const EntryInfo& e : entries)
                found = found || FoldCaseCp1252(e.name) == FoldCaseCp1252(uninstaller);
            if (!found)
                out << "warning: the archive has no uninstaller '" << Cp1252ToUtf8(uninstaller) << "' (row 10013)\n";
        } catch (const KitError& e) {
            fault.Add(std::string("resources: ") + e.what());
        }
    }

    out << "entries (" << entries.size() << "):\n";
    for (const EntryInfo& e : entries)
        out << "  " << std::setw(10) << e.size << " " << std::setw(10) << e.compressed << " "
            << (e.method == 8 ? "deflated" : e.method == 0 ? "stored  " : "other   ") << " " << FormatDosTime(e.time)
            << "  " << Cp1252ToUtf8(e.name) << "\n";
    for (const std::string& f : fault.items)
        out << path << ": FAULT: " << f << "\n";
    if (fullCheck && fault.items.empty())
        out << path << ": OK, archive at offset " << start << ", " << entries.size() << " entries\n";
    return fault.items.empty() ? 0 : 1;
}

}  // namespace kit
