#include "Resources.h"

#include "Diagnostics.h"

namespace kit {

namespace {

struct Parser {
    const Bytes& section;
    const std::function<Bytes(std::uint32_t, std::uint32_t)>& readRva;
    int depthGuard = 0;

    const std::uint8_t* At(std::uint32_t offset, std::uint32_t size) const
    {
        if (offset > section.size() || size > section.size() - offset)
            throw KitError("stub: resource directory points outside its section");
        return section.data() + offset;
    }

    ResName Name(std::uint32_t raw) const
    {
        if (!(raw & 0x80000000u))
            return ResName::Id(static_cast<std::uint16_t>(raw));
        std::uint32_t off = raw & 0x7FFFFFFFu;
        std::uint16_t length = Get16(At(off, 2));
        const std::uint8_t* p = At(off + 2, length * 2u);
        ResName name;
        name.named = true;
        for (std::uint16_t i = 0; i < length; ++i)
            name.name.push_back(static_cast<char16_t>(Get16(p + 2 * i)));
        return name;
    }

    template <typename Visit>
    void Directory(std::uint32_t offset, Visit visit) const
    {
        const std::uint8_t* d = At(offset, 16);
        std::uint32_t count = Get16(d + 12) + Get16(d + 14);
        const std::uint8_t* e = At(offset + 16, count * 8);
        for (std::uint32_t i = 0; i < count; ++i)
            visit(Name(Get32(e + 8 * i)), Get32(e + 8 * i + 4));
    }
};

struct Writer {
    Bytes out;
    std::uint32_t rva;
};

}  // namespace

ResourceTree ParseResources(const Bytes& section, const std::function<Bytes(std::uint32_t, std::uint32_t)>& readRva)
{
    Parser p{section, readRva};
    ResourceTree tree;
    auto needDir = [](std::uint32_t v) {
        if (!(v & 0x80000000u))
            throw KitError("stub: malformed resource directory");
        return v & 0x7FFFFFFFu;
    };
    p.Directory(0, [&](const ResName& type, std::uint32_t typeOff) {
        p.Directory(needDir(typeOff), [&](const ResName& name, std::uint32_t nameOff) {
            p.Directory(needDir(nameOff), [&](const ResName& lang, std::uint32_t leafOff) {
                if ((leafOff & 0x80000000u) || lang.named)
                    throw KitError("stub: malformed resource directory");
                const std::uint8_t* e = p.At(leafOff, 16);
                ResLeaf leaf{readRva(Get32(e), Get32(e + 4)), Get32(e + 8)};
                tree[type][name][lang.id] = std::move(leaf);
            });
        });
    });
    return tree;
}

Bytes SerializeResources(const ResourceTree& tree, std::uint32_t sectionRva)
{
    // Layout: every directory table, then the data entries, then the names,
    // then the data itself, each piece 8-byte aligned where it starts.
    std::uint32_t dirSize = 0, leafCount = 0, nameSize = 0;
    auto nameBytes = [](const ResName& n) { return n.named ? 2u + 2u * static_cast<std::uint32_t>(n.name.size()) : 0u; };
    dirSize += 16 + 8 * static_cast<std::uint32_t>(tree.size());
    for (const auto& [type, names] : tree) {
        nameSize += nameBytes(type);
        dirSize += 16 + 8 * static_cast<std::uint32_t>(names.size());
        for (const auto& [name, langs] : names) {
            nameSize += nameBytes(name);
            dirSize += 16 + 8 * static_cast<std::uint32_t>(langs.size());
            leafCount += static_cast<std::uint32_t>(langs.size());
        }
    }
    std::uint32_t leafStart = dirSize;
    std::uint32_t nameStart = leafStart + 16 * leafCount;
    std::uint32_t dataStart = AlignUp(nameStart + nameSize, 8);

    Bytes out(dataStart, 0);
    std::uint32_t dirPos = 0, leafPos = leafStart, namePos = nameStart;
    auto writeName = [&](const ResName& n) -> std::uint32_t {
        if (!n.named)
            return n.id;
        std::uint32_t at = namePos;
        Put16(out.data() + at, static_cast<std::uint32_t>(n.name.size()));
        for (std::size_t i = 0; i < n.name.size(); ++i)
            Put16(out.data() + at + 2 + 2 * i, n.name[i]);
        namePos += nameBytes(n);
        return 0x80000000u | at;
    };
    auto writeHeader = [&](std::uint32_t at, std::size_t named, std::size_t ids) {
        Put16(out.data() + at + 12, static_cast<std::uint32_t>(named));
        Put16(out.data() + at + 14, static_cast<std::uint32_t>(ids));
    };
    auto countNamed = [](const auto& map) {
        std::size_t n = 0;
        for (const auto& kv : map)
            n += kv.first.named ? 1 : 0;
        return n;
    };

    // Breadth first: the root, then every type's table, then every name's table.
    std::uint32_t root = dirPos;
    dirPos += 16 + 8 * static_cast<std::uint32_t>(tree.size());
    writeHeader(root, countNamed(tree), tree.size() - countNamed(tree));
    std::uint32_t entry = root + 16;
    std::vector<std::uint32_t> typeDirs;
    for (const auto& [type, names] : tree) {
        Put32(out.data() + entry, writeName(type));
        Put32(out.data() + entry + 4, 0x80000000u | dirPos);
        typeDirs.push_back(dirPos);
        writeHeader(dirPos, countNamed(names), names.size() - countNamed(names));
        dirPos += 16 + 8 * static_cast<std::uint32_t>(names.size());
        entry += 8;
    }
    std::size_t t = 0;
    for (const auto& [type, names] : tree) {
        std::uint32_t e = typeDirs[t++] + 16;
        for (const auto& [name, langs] : names) {
            Put32(out.data() + e, writeName(name));
            Put32(out.data() + e + 4, 0x80000000u | dirPos);
            writeHeader(dirPos, 0, langs.size());
            std::uint32_t le = dirPos + 16;
            dirPos += 16 + 8 * static_cast<std::uint32_t>(langs.size());
            for (const auto& [lang, leaf] : langs) {
                Put32(out.data() + le, lang);
                Put32(out.data() + le + 4, leafPos);
                // The data entry's RVA is filled in below, once the data is placed.
                Put32(out.data() + leafPos + 4, static_cast<std::uint32_t>(leaf.data.size()));
                Put32(out.data() + leafPos + 8, leaf.codePage);
                leafPos += 16;
                le += 8;
            }
            e += 8;
        }
    }
    leafPos = leafStart;
    for (const auto& [type, names] : tree)
        for (const auto& [name, langs] : names)
            for (const auto& [lang, leaf] : langs) {
                out.resize(AlignUp(static_cast<std::uint32_t>(out.size()), 8), 0);
                Put32(out.data() + leafPos, sectionRva + static_cast<std::uint32_t>(out.size()));
                out.insert(out.end(), leaf.data.begin(), leaf.data.end());
                leafPos += 16;
            }
    return out;
}

StringBlock DecodeStringBlock(const Bytes& data)
{
    StringBlock block;
    std::size_t pos = 0;
    for (auto& s : block) {
        if (pos + 2 > data.size())
            break;
        std::size_t n = Get16(data.data() + pos);
        pos += 2;
        for (std::size_t i = 0; i < n && pos + 2 <= data.size(); ++i, pos += 2)
            s.push_back(static_cast<char16_t>(Get16(data.data() + pos)));
    }
    return block;
}

Bytes EncodeStringBlock(const StringBlock& block)
{
    Bytes out;
    for (const auto& s : block) {
        Append16(out, static_cast<std::uint32_t>(s.size()));
        for (char16_t c : s)
            Append16(out, c);
    }
    return out;
}

void SetStringRows(ResourceTree& tree, const std::map<int, std::u16string>& rows, int first, int last)
{
    NameMap& blocks = tree[ResName::Id(RT_STRING_ID)];
    for (int id = first / 16 + 1; id <= last / 16 + 1; ++id) {
        ResName name = ResName::Id(static_cast<std::uint16_t>(id));
        StringBlock block;
        auto found = blocks.find(name);
        if (found != blocks.end()) {
            auto lang0 = found->second.find(0);
            if (lang0 != found->second.end())
                block = DecodeStringBlock(lang0->second.data);
        }
        for (int k = 0; k < 16; ++k) {
            int row = (id - 1) * 16 + k;
            if (row < first || row > last)
                continue;
            auto r = rows.find(row);
            block[k] = r == rows.end() ? std::u16string() : r->second;
        }
        // Another language of a product block could win over language 0 in
        // LoadString's search, so only language 0 remains.
        blocks.erase(name);
        bool empty = true;
        for (const auto& s : block)
            empty = empty && s.empty();
        if (!empty)
            blocks[name][0] = ResLeaf{EncodeStringBlock(block), 0};
    }
    if (blocks.empty())
        tree.erase(ResName::Id(RT_STRING_ID));
}

std::u16string GetStringRow(const ResourceTree& tree, int row)
{
    auto type = tree.find(ResName::Id(RT_STRING_ID));
    if (type == tree.end())
        return {};
    auto block = type->second.find(ResName::Id(static_cast<std::uint16_t>(row / 16 + 1)));
    if (block == type->second.end() || block->second.empty())
        return {};
    auto leaf = block->second.find(0);
    const ResLeaf& chosen = leaf != block->second.end() ? leaf->second : block->second.begin()->second;
    return DecodeStringBlock(chosen.data)[row % 16];
}

void SetResource(ResourceTree& tree, std::uint16_t type, std::uint16_t id, Bytes data)
{
    LangMap& langs = tree[ResName::Id(type)][ResName::Id(id)];
    langs.clear();
    langs[0] = ResLeaf{std::move(data), 0};
}

}  // namespace kit
