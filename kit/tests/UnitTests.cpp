// Unit tests of the builder's pieces that the end-to-end tests reach only
// indirectly: resource trees, string blocks, texts and MS-DOS times.
#include <gtest/gtest.h>

#include "Images.h"
#include "Resources.h"
#include "Text.h"
#include "Zip.h"

namespace kit {
namespace {

ResourceTree SampleTree()
{
    ResourceTree tree;
    tree[ResName::Id(RT_BITMAP_ID)][ResName::Id(199)][0] = {{1, 2, 3}, 0};
    ResName manifestType = ResName::Id(24);
    tree[manifestType][ResName::Id(1)][1033] = {{'<', 'x', '/', '>'}, 1252};
    ResName named{true, 0, u"SETUPDATA"};
    tree[ResName::Id(10)][named][0] = {{9, 9}, 0};
    StringBlock block;
    block[0] = u"Install";
    block[10] = u"Vantrell";
    tree[ResName::Id(RT_STRING_ID)][ResName::Id(626)][0] = {EncodeStringBlock(block), 0};
    return tree;
}

TEST(Resources, TreeSurvivesLayoutAndParse)
{
    ResourceTree tree = SampleTree();
    const std::uint32_t rva = 0x5000;
    Bytes section = SerializeResources(tree, rva);
    auto readRva = [&](std::uint32_t at, std::uint32_t size) {
        EXPECT_GE(at, rva);
        EXPECT_EQ(at % 8, 0u);
        return Bytes(section.begin() + (at - rva), section.begin() + (at - rva) + size);
    };
    ResourceTree back = ParseResources(section, readRva);
    ASSERT_EQ(back.size(), tree.size());
    for (const auto& [type, names] : tree)
        for (const auto& [name, langs] : names)
            for (const auto& [lang, leaf] : langs) {
                const ResLeaf& got = back.at(type).at(name).at(lang);
                EXPECT_EQ(got.data, leaf.data);
                EXPECT_EQ(got.codePage, leaf.codePage);
            }
}

TEST(Resources, ProductRowsReplacedOtherRowsKept)
{
    ResourceTree tree = SampleTree();
    StringBlock errors;
    errors[8] = u"Operation successful";  // row 11000
    tree[ResName::Id(RT_STRING_ID)][ResName::Id(688)][0] = {EncodeStringBlock(errors), 0};
    // Another language of a product block must not survive to shadow language 0.
    tree[ResName::Id(RT_STRING_ID)][ResName::Id(627)][1033] = {EncodeStringBlock(errors), 0};
    SetStringRows(tree, {{10000, u"Welcome"}, {10299 - 1, u"last"}}, 10000, 10298);
    EXPECT_EQ(GetStringRow(tree, 10000), u"Welcome");
    EXPECT_EQ(GetStringRow(tree, 10010), u"");  // old product row gone
    EXPECT_EQ(GetStringRow(tree, 10298), u"last");
    EXPECT_EQ(GetStringRow(tree, 11000), u"Operation successful");
    const NameMap& blocks = tree.at(ResName::Id(RT_STRING_ID));
    EXPECT_EQ(blocks.count(ResName::Id(627)), 0u);  // all 16 rows empty: no block at all
    EXPECT_EQ(blocks.at(ResName::Id(626)).size(), 1u);
}

TEST(Resources, StringBlockLayout)
{
    StringBlock block;
    block[1] = u"ab";
    Bytes b = EncodeStringBlock(block);
    ASSERT_EQ(b.size(), 16u * 2 + 4);
    EXPECT_EQ(b[2], 2);
    EXPECT_EQ(b[4], 'a');
    EXPECT_EQ(DecodeStringBlock(b)[1], u"ab");
}

TEST(Text, CodePage1252)
{
    EXPECT_EQ(*Utf8ToCp1252("Caf\xC3\xA9 \xE2\x82\xAC"), "Caf\xE9 \x80");
    EXPECT_FALSE(Utf8ToCp1252("\xE5\x90\x8D"));
    EXPECT_EQ(FirstUnencodable("ok \xE5\x90\x8D"), "\xE5\x90\x8D");
    EXPECT_FALSE(Utf8ToUtf16("\xC3"));      // cut short
    EXPECT_FALSE(Utf8ToUtf16("\xC0\xAF"));  // overlong
    EXPECT_EQ(FoldCaseCp1252("Readme.TXT \xE9"), "README.TXT \xC9");
}

TEST(Zip, DosTimes)
{
    DosTime t = ToDosTime(1700000000);  // 2023-11-14 22:13:20 UTC
    EXPECT_EQ(FormatDosTime(t), "2023-11-14 22:13:20");
    EXPECT_EQ(FormatDosTime(ToDosTime(0)), "1980-01-01 00:00:00");
    EXPECT_EQ(FormatDosTime(ToDosTime(5000000000LL)), "2107-12-31 23:59:58");
}

TEST(Images, BitmapFileHeaderIsDropped)
{
    Bytes bmp(14 + 40 + 64 + 60 * 226, 0);
    bmp[0] = 'B';
    bmp[1] = 'M';
    Put32(bmp.data() + 10, 14 + 40 + 64);
    Put32(bmp.data() + 14, 40);
    Put32(bmp.data() + 18, 114);
    Put32(bmp.data() + 22, 226);
    Put16(bmp.data() + 26, 1);
    Put16(bmp.data() + 28, 4);
    std::string why;
    auto res = SidePictureResource(bmp, why);
    ASSERT_TRUE(res) << why;
    EXPECT_EQ(res->size(), bmp.size() - 14);
    Put32(bmp.data() + 10, 14 + 40 + 64 + 2);  // pixels not right behind the palette
    EXPECT_FALSE(SidePictureResource(bmp, why));
}

}  // namespace
}  // namespace kit
