// Setup images built by mksetup, read by the setup program's own archive
// code: the stored CRC matches, every file comes out as it went in, with the
// time the builder recorded.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "ZipArchive.h"

#include <algorithm>
#include <cstring>

namespace {

std::uint32_t StoredCrc(const std::string& image)
{
    std::vector<unsigned char> bytes = ReadWholeFile(image);
    const char marker[] = "KSTVALUES-STORE1";
    auto at = std::search(bytes.begin(), bytes.end(), marker, marker + 16);
    if (at == bytes.end())
        return 0;
    std::uint32_t crc = 0;
    std::memcpy(&crc, &*at + 16, 4);
    return crc;
}

// The payload files of the test product, as the image must hold them.
const char* const kFiles[] = {"bin\\Quillmate.exe", "bin\\table.dat", "docs\\Notes \xE9.txt", "docs\\Readme.txt",
                              "empty.txt"};

class ImageExtract : public ::testing::TestWithParam<const char*> {};

TEST_P(ImageExtract, SetupArchiveCodeExtractsEveryFileWithItsTime)
{
    std::string image = FixturePath(GetParam());
    if (!PathExists(image))
        GTEST_SKIP() << "no image " << image;
    ScratchDir out("extract");
    {
        ZipArchive archive(image.c_str());
        Crc32 crc;
        EXPECT_EQ(StoredCrc(image), FileCrc(crc, image.c_str(), archive.archiveStart));
        archive.ExtractAll(out.dir().c_str());
    }
    for (const char* name : kFiles) {
        std::vector<unsigned char> want = ReadWholeFile(FixturePath(std::string("kit\\payload\\") + name));
        std::string got = out.dir() + name;
        ASSERT_TRUE(PathExists(got)) << name;
        EXPECT_EQ(want, ReadWholeFile(got)) << name;
        // SOURCE_DATE_EPOCH 1700000000 is 2023-11-14 22:13:20, written as local time.
        HANDLE h = CreateFileA(got.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(h, INVALID_HANDLE_VALUE);
        FILETIME written, local;
        GetFileTime(h, nullptr, nullptr, &written);
        CloseHandle(h);
        FileTimeToLocalFileTime(&written, &local);
        WORD date = 0, time = 0;
        FileTimeToDosDateTime(&local, &date, &time);
        EXPECT_EQ(((2023 - 1980) << 9) | (11 << 5) | 14, date) << name;
        EXPECT_EQ((22 << 11) | (13 << 5) | 10, time) << name;
    }
    EXPECT_TRUE(PathExists(out.dir() + "kestrun.exe"));
}

INSTANTIATE_TEST_SUITE_P(Images, ImageExtract, ::testing::Values("kit\\stub-setup.exe", "kit\\real-setup.exe"));

}  // namespace
