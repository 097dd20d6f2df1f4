#include "Builder.h"

#include "ArchiveWriter.h"
#include "Images.h"
#include "PeImage.h"
#include "Product.h"
#include "Text.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <set>
#include <zlib.h>

namespace kit {

namespace fs = std::filesystem;

namespace {

struct Artwork {
    std::optional<Bytes> bitmap;
    std::optional<std::vector<IconImage>> icons;
};

Artwork LoadArtwork(const Product& product, Diagnostics& diags)
{
    Artwork art;
    auto load = [&](const fs::path& p, long line, const char* what) -> std::optional<Bytes> {
        try {
            return ReadFileBytes(p.u8string());
        } catch (const KitError&) {
            diags.Error(product.file, line, std::string(what) + " '" + p.u8string() + "' cannot be read");
            return std::nullopt;
        }
    };
    std::string why;
    if (product.sidePicture) {
        if (auto bytes = load(*product.sidePicture, product.sidePictureLine, "side picture")) {
            art.bitmap = SidePictureResource(*bytes, why);
            if (!art.bitmap)
                diags.Error(product.file, product.sidePictureLine,
                            "side picture '" + product.sidePicture->u8string() + "': " + why);
        }
    }
    if (product.icon) {
        if (auto bytes = load(*product.icon, product.iconLine, "icon")) {
            art.icons = IconImages(*bytes, why);
            if (!art.icons)
                diags.Error(product.file, product.iconLine, "icon '" + product.icon->u8string() + "': " + why);
        }
    }
    return art;
}

// Puts the icon images in as RT_ICON entries and points icon group 10 at them,
// dropping the images only the old group used.
void ReplaceIcon(ResourceTree& tree, const std::vector<IconImage>& images)
{
    NameMap& groups = tree[ResName::Id(RT_GROUP_ICON_ID)];
    NameMap& icons = tree[ResName::Id(RT_ICON_ID)];
    auto members = [](const ResLeaf& leaf) {
        std::set<std::uint16_t> ids;
        const Bytes& d = leaf.data;
        std::size_t n = d.size() >= 6 ? Get16(d.data() + 4) : 0;
        for (std::size_t i = 0; i < n && 6 + 14 * (i + 1) <= d.size(); ++i)
            ids.insert(Get16(d.data() + 6 + 14 * i + 12));
        return ids;
    };
    std::set<std::uint16_t> old, kept;
    for (const auto& [name, langs] : groups)
        for (const auto& [lang, leaf] : langs)
            for (std::uint16_t id : members(leaf))
                (name == ResName::Id(10) ? old : kept).insert(id);
    for (std::uint16_t id : old)
        if (!kept.count(id))
            icons.erase(ResName::Id(id));
    std::vector<std::uint16_t> ids;
    for (std::uint16_t id = 1; ids.size() < images.size(); ++id)
        if (!icons.count(ResName::Id(id)))
            ids.push_back(id);
    for (std::size_t i = 0; i < images.size(); ++i)
        SetResource(tree, RT_ICON_ID, ids[i], images[i].data);
    SetResource(tree, RT_GROUP_ICON_ID, 10, GroupIconResource(images, ids));
}

std::optional<std::time_t> SourceDateEpoch(bool& bad)
{
    const char* value = std::getenv("SOURCE_DATE_EPOCH");
    if (!value || !*value)
        return std::nullopt;
    char* end = nullptr;
    long long t = std::strtoll(value, &end, 10);
    if (*end || t < 0) {
        bad = true;
        return std::nullopt;
    }
    return static_cast<std::time_t>(t);
}

}  // namespace

int Build(const BuildOptions& options)
{
    Diagnostics diags;
    Product product = LoadProduct(options.productFile, diags);
    Artwork art;
    std::vector<PayloadFile> files;
    if (!diags.HasErrors()) {
        // An image written into the payload would be packed by the next build.
        std::error_code ec;
        fs::path payload = fs::weakly_canonical(product.payload, ec);
        fs::path output = fs::weakly_canonical(fs::absolute(fs::u8path(options.output)), ec);
        auto mismatch = std::mismatch(payload.begin(), payload.end(), output.begin(), output.end());
        if (!payload.empty() && mismatch.first == payload.end())
            diags.Error(product.file, product.payloadLine, "the output " + options.output + " lies inside the payload folder");
    }
    if (!diags.HasErrors()) {
        art = LoadArtwork(product, diags);
        files = CollectPayload(product, diags);
    }
    bool badEpoch = false;
    std::optional<std::time_t> epoch = SourceDateEpoch(badEpoch);
    if (badEpoch)
        diags.Error("SOURCE_DATE_EPOCH", 0, "expected a whole number of seconds since 1970");

    if (!diags.HasErrors()) {
        auto uninstallerRow = product.rows.find(10013);
        if (uninstallerRow == product.rows.end()) {
            diags.Warning(product.file, 0,
                          "no uninstaller ([product] uninstaller is empty): the setup program will warn that the "
                          "product has to be removed by hand");
        } else if (!fs::is_regular_file(fs::u8path(options.uninstaller))) {
            diags.Error(options.uninstaller, 0, "uninstaller not found (give it with --uninstaller)");
        } else {
            std::string name = *Utf8ToCp1252(uninstallerRow->second.text);
            for (const PayloadFile& f : files)
                if (FoldCaseCp1252(f.name) == FoldCaseCp1252(name))
                    diags.Error(product.file, uninstallerRow->second.line,
                                "the payload already has a file '" + f.nameUtf8 + "'; the uninstaller goes there");
            files.push_back(ExtraFile(fs::u8path(options.uninstaller), uninstallerRow->second.text));
        }
        CheckPayloadReferences(product, files, diags);
    }
    for (const Diagnostic& d : diags.items)
        std::cerr << Format(d) << "\n";
    if (diags.HasErrors())
        return 1;

    try {
        PeImage stub = ParsePe(ReadFileBytes(options.stub), "stub " + options.stub);
        StoredValuesOffset(stub);  // a stub without the block is refused before anything is written
        ResourceTree tree = ReadResources(stub);
        std::map<int, std::u16string> rows;
        for (const auto& [row, text] : product.rows)
            rows[row] = *Utf8ToUtf16(text.text);
        SetStringRows(tree, rows, kFirstProductRow, kLastProductRow);
        if (art.bitmap)
            SetResource(tree, RT_BITMAP_ID, 199, *art.bitmap);
        if (art.icons)
            ReplaceIcon(tree, *art.icons);
        PeImage image = ParsePe(RebuildResources(stub, tree), "rebuilt image");
        std::uint32_t valuesAt = StoredValuesOffset(image);

        OutputFile out(options.output);
        out.Write(image.bytes);
        ArchiveOptions archiveOptions;
        archiveOptions.fixedTime = epoch;
        archiveOptions.progress = options.progress;
        archiveOptions.jobs = options.jobs;
        WrittenArchive archive = WriteArchive(out, files, archiveOptions);

        // One pass over the archive gives its CRC-32 and its share of the PE checksum.
        std::uint32_t crc = 0, sum = 0;
        Bytes buffer(1 << 20);
        for (std::uint64_t at = archive.start; at < out.Position();) {
            std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), out.Position() - at));
            out.ReadAt(at, buffer.data(), n);
            crc = static_cast<std::uint32_t>(crc32(crc, buffer.data(), static_cast<uInt>(n)));
            sum = ChecksumPartial(buffer.data(), n, sum);
            at += n;
        }
        std::uint8_t values[8];
        Put32(values, crc);
        Put32(values + 4, static_cast<std::uint32_t>(product.freeSpaceProbeOffset
                                                         ? *product.freeSpaceProbeOffset
                                                         : static_cast<std::int32_t>(Get32(image.bytes.data() + valuesAt + 20))));
        std::memcpy(image.bytes.data() + valuesAt + 16, values, 8);
        out.WriteAt(valuesAt + 16, values, 8);
        std::uint32_t checksum =
            ChecksumFinish(ChecksumAdd(ChecksumPartial(image.bytes.data(), image.bytes.size()), sum), out.Position());
        std::uint8_t field[4];
        Put32(field, checksum);
        out.WriteAt(ChecksumFieldOffset(image), field, 4);
        out.Commit();

        std::cerr << "mksetup: wrote " << options.output << ": " << archive.entries << " entries, "
                  << archive.originalBytes << " bytes packed into " << archive.storedBytes << ", image "
                  << out.Position() << " bytes\n";
    } catch (const KitError& e) {
        std::cerr << "mksetup: error: " << e.what() << "\n";
        return 1;
    } catch (const std::exception& e) {
        std::cerr << "mksetup: error: " << e.what() << "\n";
        return 1;
    }
    return 0;
}

}  // namespace kit
