#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

#include "Crc32.h"
#include "Errors.h"
#include "TestSupport.h"

TEST(Crc32, TableIsTheReflectedZipTable)
{
    Crc32 crc;
    EXPECT_EQ(crc.table[0], 0u);
    EXPECT_EQ(crc.table[1], 0x77073096u);
    EXPECT_EQ(crc.table[128], 0xEDB88320u);
    EXPECT_EQ(crc.table[255], 0x2D02EF8Du);
}

TEST(Crc32, UpdateMatchesTheStandardCheckValueAndSplitsFreely)
{
    Crc32 crc;
    EXPECT_EQ(Crc32Update(crc, 0, "123456789", 9), 0xCBF43926u);
    EXPECT_EQ(Crc32Update(crc, 0x12345678u, "ignored", 0), 0x12345678u);

    std::mt19937 rng(7);
    std::vector<unsigned char> data(20000);
    for (auto& b : data)
        b = static_cast<unsigned char>(rng());
    std::uint32_t whole = Crc32Update(crc, 0, data.data(), data.size());
    for (std::size_t block : {1u, 3u, 4095u, 4096u, 16384u, 19999u}) {
        std::uint32_t c = 0;
        for (std::size_t at = 0; at < data.size(); at += block)
            c = Crc32Update(crc, c, data.data() + at, std::min(block, data.size() - at));
        EXPECT_EQ(c, whole) << "blocks of " << block;
    }
}

// Every line of the manifest: file, offset, CRC-32 from Python's zlib.crc32.
TEST(FileCrc, AgreesWithAnIndependentCrc)
{
    std::ifstream manifest(FixturePath("crc_manifest.txt"));
    ASSERT_TRUE(manifest.good());
    Crc32 crc;
    int checked = 0;
    std::string line;
    while (std::getline(manifest, line)) {
        std::istringstream fields(line);
        std::string name;
        std::int32_t offset;
        std::uint32_t expected;
        fields >> name >> offset >> std::hex >> expected;
        EXPECT_EQ(FileCrc(crc, FixturePath(name).c_str(), offset), expected) << line;
        ++checked;
    }
    EXPECT_GE(checked, 25);
}

TEST(FileCrc, RefusesMissingFilesAndOffsetsOutsideTheFile)
{
    Crc32 crc;
    struct Case {
        const char* name;
        std::int32_t offset;
        int code;
    } cases[] = {
        {"no_such_file.bin", 0, XFILE_OPEN},
        {"crc_4097.bin", 4098, XFILE_SEEK},
        {"crc_4097.bin", -1, XFILE_SEEK},
    };
    for (const Case& c : cases) {
        int code = 0;
        try {
            FileCrc(crc, FixturePath(c.name).c_str(), c.offset);
        } catch (XFile e) {
            code = e.code;
        }
        EXPECT_EQ(code, c.code) << c.name << " at " << c.offset;
    }
    EXPECT_EQ(FileCrc(crc, FixturePath("crc_4097.bin").c_str(), 4097), 0u);
}
