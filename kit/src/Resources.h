// The resource directory of a PE image as a tree of type, name and language,
// read from and written back to the bytes of a resource section.
#pragma once

#include "Bytes.h"

#include <array>
#include <functional>
#include <map>
#include <string>

namespace kit {

struct ResName {
    bool named = false;
    std::uint16_t id = 0;
    std::u16string name;

    static ResName Id(std::uint16_t id) { return {false, id, {}}; }
    bool operator<(const ResName& o) const
    {
        if (named != o.named)
            return named;  // named entries come first in a directory
        return named ? name < o.name : id < o.id;
    }
    bool operator==(const ResName& o) const { return named == o.named && id == o.id && name == o.name; }
};

struct ResLeaf {
    Bytes data;
    std::uint32_t codePage = 0;
};

using LangMap = std::map<std::uint16_t, ResLeaf>;
using NameMap = std::map<ResName, LangMap>;
using ResourceTree = std::map<ResName, NameMap>;

constexpr std::uint16_t RT_ICON_ID = 3, RT_BITMAP_ID = 2, RT_STRING_ID = 6, RT_GROUP_ICON_ID = 14;

// Reads the tree; readRva fetches size bytes at an RVA of the image (throws when outside).
ResourceTree ParseResources(const Bytes& section, const std::function<Bytes(std::uint32_t, std::uint32_t)>& readRva);
// Lays the tree out for a section that will start at sectionRva.
Bytes SerializeResources(const ResourceTree& tree, std::uint32_t sectionRva);

using StringBlock = std::array<std::u16string, 16>;
StringBlock DecodeStringBlock(const Bytes& data);
Bytes EncodeStringBlock(const StringBlock& block);

// Replaces rows first..last (all of them: rows missing from `rows` become
// absent) in language 0, keeping the other rows of the blocks touched.
void SetStringRows(ResourceTree& tree, const std::map<int, std::u16string>& rows, int first, int last);
// Reads one row the way LoadString finds it (language 0 first, else any).
std::u16string GetStringRow(const ResourceTree& tree, int row);

// Replaces every language of one resource by a single language-0 entry.
void SetResource(ResourceTree& tree, std::uint16_t type, std::uint16_t id, Bytes data);

}  // namespace kit
