// Extraction of archives written by Python's zipfile and Info-ZIP, plain and
// behind a setup image: bytes, file times, hook calls, path limits.
#include <gtest/gtest.h>

#include <cstring>

#include "ZipTestSupport.h"

namespace {

constexpr std::int32_t PREFIX_SIZE = 40000; // as make_zip_fixtures.py writes
constexpr std::uint32_t LARGE_SIZE = 45000000;

struct GoodArchive {
    const char* fixture;
    const char* manifest;
    const char* sources;
    std::int32_t archiveStart;
};

const GoodArchive GOOD[] = {
    {"zip_py.zip", "zip_py.manifest", "zip_src\\py", 0},
    {"zip_py_prefixed.bin", "zip_py.manifest", "zip_src\\py", PREFIX_SIZE},
    {"zip_infozip.zip", "zip_infozip.manifest", "zip_src\\infozip", 0},
    {"zip_infozip_prefixed.bin", "zip_infozip.manifest", "zip_src\\infozip", PREFIX_SIZE},
};

void PrintTo(const GoodArchive& g, std::ostream* os)
{
    *os << g.fixture;
}

class ZipGood : public testing::TestWithParam<GoodArchive> {};

TEST_P(ZipGood, ExtractsEveryFileWithItsBytesAndTime)
{
    const GoodArchive& g = GetParam();
    ScratchDir scratch("zipgood");
    const std::string installDir = scratch.dir() + "deep\\inst\\"; // made by ExtractAll

    ZipArchive archive(FixturePath(g.fixture).c_str());
    EXPECT_EQ(g.archiveStart, archive.archiveStart);
    archive.ExtractAll(installDir.c_str());

    std::vector<ManifestEntry> entries = ReadManifest(g.manifest);
    ASSERT_FALSE(entries.empty());
    std::size_t files = 0;
    for (const ManifestEntry& e : entries) {
        std::string target = installDir + WindowsPath(e.name);
        if (e.folder) {
            // Folders exist only as parents of extracted files.
            bool parent = std::any_of(entries.begin(), entries.end(), [&](const ManifestEntry& f) {
                return !f.folder && f.name.compare(0, e.name.size(), e.name) == 0;
            });
            EXPECT_EQ(parent, PathExists(target)) << e.name;
            continue;
        }
        ++files;
        std::string source = FixturePath(std::string(g.sources) + "\\" + WindowsPath(e.name));
        ASSERT_TRUE(PathExists(source)) << source;
        EXPECT_TRUE(PathExists(target)) << e.name;
        EXPECT_EQ(ReadWholeFile(source), ReadWholeFile(target)) << e.name;
        EXPECT_EQ(ExpectedFileTime(e.dosDate, e.dosTime), LastWriteTime(target)) << e.name;
    }
    // Nothing but the archive's files.
    std::vector<std::string> written;
    ListTree(installDir.substr(0, installDir.size() - 1), "", written);
    EXPECT_EQ(files, static_cast<std::size_t>(std::count_if(written.begin(), written.end(), [](const std::string& s) {
                  return s.back() != '\\';
              })));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ZipGood, testing::ValuesIn(GOOD), [](const auto& info) {
    std::string name = info.param.fixture;
    return name.substr(0, name.find('.'));
});

TEST(ZipHooks, ElevenEntriesInOrder)
{
    // Folders get their two calls but no start; empty files no progress;
    // 40,000 stored bytes move in blocks of 16384, 16384 and 7232.
    const char* expected =
        "T0 | F0 | "
        "T9 | F0 | S docs\\readme.txt | F100 | "
        "T18 | F0 | "
        "T27 | F0 | S docs\\sub\\deep.txt | F100 | "
        "T36 | F0 | S empty_stored.txt | "
        "T45 | F0 | S empty_deflated.txt | "
        "T54 | F0 | S stored40000.bin | F40 | F81 | F100 | "
        "T63 | F0 | S text.txt | F100 | "
        "T72 | F0 | "
        "T81 | F0 | S bin\\tool.exe | F100 | "
        "T90 | F0 | S random_deflated.bin | F100 | "
        "T100";
    for (const char* fixture : {"zip_py.zip", "zip_py_prefixed.bin"}) {
        ScratchDir scratch("ziphooks");
        RecordingArchive archive(FixturePath(fixture).c_str(), scratch.dir());
        archive.Extract();
        EXPECT_EQ(expected, archive.Trace()) << fixture;
    }
}

TEST(ZipHooks, LargeEntryReportsRisingPercentagesTo100)
{
    // Beyond 42,949,672 bytes, done * 100 no longer fits 32 bits.
    ScratchDir scratch("ziplarge");
    RecordingArchive archive(FixturePath("zip_large.zip").c_str(), scratch.dir());
    archive.Extract();

    std::vector<int> file;
    for (const std::string& e : archive.events) {
        if (e[0] == 'F')
            file.push_back(std::stoi(e.substr(1)));
    }
    ASSERT_GT(file.size(), 100u);
    for (std::size_t i = 1; i < file.size(); ++i) {
        EXPECT_LE(file[i - 1], file[i]);
        EXPECT_LE(file[i], 100);
    }
    EXPECT_EQ(100, file.back());
    EXPECT_GE(file[file.size() / 2], 40);
    EXPECT_LE(file[file.size() / 2], 60);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ASSERT_TRUE(GetFileAttributesExA((scratch.dir() + "zeros.bin").c_str(), GetFileExInfoStandard, &data));
    EXPECT_EQ(LARGE_SIZE, data.nFileSizeLow);
}

TEST(ZipLocate, CommentOf65534BytesIsFound)
{
    ScratchDir scratch("zipcomment");
    ZipArchive archive(FixturePath("zip_comment_65534.zip").c_str());
    EXPECT_EQ(0, archive.archiveStart);
    archive.ExtractAll(scratch.dir().c_str());
    std::vector<unsigned char> bytes = ReadWholeFile(scratch.dir() + "c.txt");
    EXPECT_EQ("comment", std::string(bytes.begin(), bytes.end()));
}

TEST(ZipLocate, ExtractAllRefusesAnEndRecordWithoutSignature)
{
    ScratchDir scratch("zipnoend");
    RecordingArchive archive(FixturePath("zip_py.zip").c_str(), scratch.dir() + "inst\\");
    std::memset(archive.endRecord, 0, 4);
    EXPECT_EQ((Outcome{'Z', 1}), RunCaught([&] { archive.Extract(); }));
    EXPECT_EQ("", archive.Trace());
    EXPECT_FALSE(PathExists(scratch.dir() + "inst"));
}

// The 200-byte name fits exactly when the target path has 259 characters.
TEST(ZipTargetPath, LongestTargetFitsOneMoreIsRefused)
{
    const std::string name(196, 'l');
    for (std::size_t length : {259u, 260u}) {
        ScratchDir scratch("zippath");
        std::size_t pad = length - 200 - scratch.dir().size() - 1;
        const std::string installDir = scratch.dir() + std::string(pad, 'p') + "\\";
        ASSERT_EQ(length, installDir.size() + 200);
        RecordingArchive archive(FixturePath("zip_name_200.zip").c_str(), installDir);
        Outcome outcome = RunCaught([&] { archive.Extract(); });
        if (length == 259) {
            EXPECT_EQ((Outcome{'-', 0}), outcome);
            EXPECT_TRUE(PathExists(installDir + name + ".txt"));
        } else {
            EXPECT_EQ((Outcome{'Z', 6}), outcome);
            EXPECT_EQ("T0 | F0", archive.Trace());
            EXPECT_EQ("", Listing(installDir.substr(0, installDir.size() - 1)));
        }
    }
}

// A target that cannot be opened for writing is announced, then fails.
TEST(ZipTargetPath, TargetThatCannotBeOpenedFailsWithCode1)
{
    enum Blocker { READ_ONLY, HELD_OPEN, FOLDER };
    for (Blocker blocker : {READ_ONLY, HELD_OPEN, FOLDER}) {
        ScratchDir scratch("zipopen");
        const std::string target = scratch.dir() + "docs\\readme.txt";
        CreateDirectoryA((scratch.dir() + "docs").c_str(), nullptr);
        HANDLE held = INVALID_HANDLE_VALUE;
        if (blocker == FOLDER) {
            CreateDirectoryA(target.c_str(), nullptr);
        } else {
            WriteWholeFile(target, std::string("keep"));
        }
        if (blocker == READ_ONLY) {
            SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);
            // Wine keeps the attribute as file permissions, which do not stop
            // the superuser; then there is nothing to test.
            HANDLE probe = CreateFileA(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            if (probe != INVALID_HANDLE_VALUE) {
                CloseHandle(probe);
                std::printf("read-only files are writable here (superuser under Wine): case skipped\n");
                continue;
            }
        }
        if (blocker == HELD_OPEN)
            held = CreateFileA(target.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);

        RecordingArchive archive(FixturePath("zip_py.zip").c_str(), scratch.dir());
        EXPECT_EQ((Outcome{'F', 1}), RunCaught([&] { archive.Extract(); })) << blocker;
        EXPECT_EQ("T0 | F0 | T9 | F0 | S docs\\readme.txt", archive.Trace()) << blocker;
        if (held != INVALID_HANDLE_VALUE)
            CloseHandle(held);
        if (blocker != FOLDER) {
            std::vector<unsigned char> bytes = ReadWholeFile(target);
            EXPECT_EQ("keep", std::string(bytes.begin(), bytes.end())) << blocker;
        }
    }
}

TEST(ZipTargetPath, FoldersThatCannotBeMadeFailWithCode6)
{
    struct Case {
        const char* blocker;    // a file standing where a folder is needed
        const char* installDir; // below the scratch folder
        const char* trace;
    };
    const Case cases[] = {
        {"blocker", "blocker\\inst\\", ""},           // the install directory
        {"inst\\docs", "inst\\", "T0 | F0 | T9 | F0"}, // the parent of docs/readme.txt
    };
    for (const Case& c : cases) {
        ScratchDir scratch("zipblock");
        CreateDirectoryA((scratch.dir() + "inst").c_str(), nullptr);
        WriteWholeFile(scratch.dir() + c.blocker, std::string("file"));
        RecordingArchive archive(FixturePath("zip_py.zip").c_str(), scratch.dir() + c.installDir);
        EXPECT_EQ((Outcome{'Z', 6}), RunCaught([&] { archive.Extract(); })) << c.blocker;
        EXPECT_EQ(c.trace, archive.Trace()) << c.blocker;
    }
}

TEST(SetFileDosTime, SetsTheLocalTimeAndFailsSilently)
{
    ScratchDir scratch("ziptime");
    const std::string path = scratch.dir() + "f.txt";
    const std::uint16_t date = (2004 - 1980) << 9 | 2 << 5 | 29, time = 13 << 11 | 14 << 5 | 15 / 2;

    SetFileDosTime((scratch.dir() + "missing.txt").c_str(), date, time);
    EXPECT_FALSE(PathExists(scratch.dir() + "missing.txt"));

    WriteWholeFile(path, std::string("x"));
    ULONGLONG before = LastWriteTime(path);
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileDosTime(path.c_str(), date, time); // cannot be opened: nothing changes
    CloseHandle(held);
    EXPECT_EQ(before, LastWriteTime(path));

    SetFileDosTime(path.c_str(), date, time);
    EXPECT_EQ(ExpectedFileTime(date, time), LastWriteTime(path));
}

} // namespace
