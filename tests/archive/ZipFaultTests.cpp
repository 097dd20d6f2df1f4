// Damaged and hostile archives: each fixture (written by
// make_zip_fixtures.py) ends in its coded failure at its point, with exactly
// the hooks called and the files left behind that the table lists, and
// nothing ever written outside the install directory.
#include <gtest/gtest.h>

#include "ZipTestSupport.h"

namespace {

enum Stage { OPEN, EXTRACT };

struct FaultCase {
    const char* fixture;
    Stage stage;     // where the failure is raised: constructor or ExtractAll
    Outcome outcome;
    const char* trace;   // hook calls ("*" matches any rest)
    const char* listing; // the install directory afterwards ("*" as above)
};

constexpr Outcome XFILE(int code) { return {'F', code}; }
constexpr Outcome XZIP(int code) { return {'Z', code}; }

const FaultCase FAULTS[] = {
    // End record.
    {"bad_no_end_short.zip", OPEN, XFILE(4), "", ""},
    {"bad_no_end_65555.bin", OPEN, XFILE(4), "", ""},
    {"bad_no_end_65556.bin", OPEN, XZIP(1), "", ""},
    {"bad_comment_65535.zip", OPEN, XZIP(1), "", ""},
    {"bad_zero_entries.zip", OPEN, XZIP(3), "", ""},
    {"bad_appended.zip", EXTRACT, XZIP(2), "", ""},
    // Central record: the method fails before the name is read.
    {"bad_central_signature.zip", EXTRACT, XZIP(2), "", ""},
    {"bad_central_method12.zip", EXTRACT, XZIP(5), "", ""},
    {"bad_central_method12_long_name.zip", EXTRACT, XZIP(5), "", ""},
    {"bad_name_length0.zip", EXTRACT, XFILE(2), "", ""},
    // Local header: sizes and signature fail before anything is created; the
    // method only after the empty target has been created and announced.
    {"bad_local_signature.bin", EXTRACT, XZIP(3), "T0 | F0", ""},
    {"bad_local_signature_prefixed.bin", EXTRACT, XZIP(3), "T0 | F0", ""},
    {"bad_local_compressed_size.bin", EXTRACT, XZIP(4), "T0 | F0", ""},
    {"bad_local_compressed_size_prefixed.bin", EXTRACT, XZIP(4), "T0 | F0", ""},
    {"bad_local_uncompressed_size.bin", EXTRACT, XZIP(4), "T0 | F0", ""},
    {"bad_local_uncompressed_size_prefixed.bin", EXTRACT, XZIP(4), "T0 | F0", ""},
    {"bad_data_descriptor.zip", EXTRACT, XZIP(4), "T0 | F0", ""},
    {"bad_local_method12.zip", EXTRACT, XZIP(5), "T0 | F0 | S docs\\a.txt", "docs\\ docs\\a.txt=0"},
    // CRC-32 after all data has been written.
    {"bad_crc_stored.bin", EXTRACT, XZIP(4), "T0 | F0 | S docs\\b.bin | F100", "docs\\ docs\\b.bin=1000"},
    {"bad_crc_deflated.bin", EXTRACT, XZIP(4), "T0 | F0 | S docs\\a.txt | F100", "docs\\ docs\\a.txt=2000"},
    {"bad_crc_deflated_prefixed.bin", EXTRACT, XZIP(4), "T0 | F0 | S docs\\a.txt | F100", "docs\\ docs\\a.txt=2000"},
    // Deflate data: input used up, no deflate stream, more output than
    // declared (stopped after the first block, also for a declared size 0).
    {"bad_deflate_truncated.zip", EXTRACT, XZIP(7), "T0 | F0 | S docs\\d.txt | F*", "docs\\ docs\\d.txt=*"},
    {"bad_deflate_garbage.zip", EXTRACT, XZIP(7), "T0 | F0 | S docs\\d.txt", "docs\\ docs\\d.txt=0"},
    {"bad_deflate_longer.zip", EXTRACT, XZIP(7), "T0 | F0 | S docs\\d.txt | F100", "docs\\ docs\\d.txt=16384"},
    {"bad_deflate_declared0.zip", EXTRACT, XZIP(7), "T0 | F0 | S docs\\d.txt | F100", "docs\\ docs\\d.txt=16384"},
    // Not a fault: a stream without its end, complete at the declared size.
    {"deflate_unended.zip", EXTRACT, {'-', 0}, "T0 | F0 | S docs\\d.txt | F* | F100 | T100",
     "docs\\ docs\\d.txt=50000"},
    // Names that would leave the install directory or can never fit.
    {"unsafe_parent.zip", EXTRACT, XZIP(4), "", ""},
    {"unsafe_parent_backslash.zip", EXTRACT, XZIP(4), "", ""},
    {"unsafe_inner_parent.zip", EXTRACT, XZIP(4), "", ""},
    {"unsafe_inner_parent_backslash.zip", EXTRACT, XZIP(4), "", ""},
    {"unsafe_parent_folder.zip", EXTRACT, XZIP(4), "", ""},
    {"unsafe_dots_space.zip", EXTRACT, XZIP(4), "", ""},
    {"unsafe_slash.zip", EXTRACT, XZIP(4), "", ""},
    {"unsafe_backslash.zip", EXTRACT, XZIP(4), "", ""},
    {"unsafe_drive.zip", EXTRACT, XZIP(4), "", ""},
    {"unsafe_drive_root.zip", EXTRACT, XZIP(4), "", ""},
    {"unsafe_stream.zip", EXTRACT, XZIP(4), "", ""},
    {"unsafe_nul.zip", EXTRACT, XZIP(4), "", ""},
    {"name_260.zip", EXTRACT, XZIP(4), "", ""},
};

void PrintTo(const FaultCase& c, std::ostream* os)
{
    *os << c.fixture;
}

class ZipFaults : public testing::TestWithParam<FaultCase> {};

TEST_P(ZipFaults, FailsWithItsCodeAtItsPoint)
{
    const FaultCase& c = GetParam();
    ScratchDir scratch("zipfault");
    const std::string installDir = scratch.dir() + "inst\\";
    bool constructed = false;
    std::string trace;

    Outcome outcome = RunCaught([&] {
        RecordingArchive archive(FixturePath(c.fixture).c_str(), installDir);
        constructed = true;
        try {
            archive.Extract();
        } catch (...) {
            trace = archive.Trace();
            throw;
        }
        trace = archive.Trace();
    });

    EXPECT_EQ(c.outcome, outcome);
    EXPECT_EQ(c.stage == EXTRACT, constructed);
    EXPECT_TRUE(Matches(c.trace, trace)) << trace;
    std::string listing = Listing(installDir.substr(0, installDir.size() - 1));
    EXPECT_TRUE(Matches(c.listing, listing)) << listing;
    // Nothing beside the install directory.
    std::vector<std::string> everything;
    ListTree(scratch.path(), "", everything);
    for (const std::string& item : everything)
        EXPECT_EQ(0u, item.rfind("inst\\", 0)) << item;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, ZipFaults, testing::ValuesIn(FAULTS), [](const auto& info) {
    std::string name = info.param.fixture;
    for (char& ch : name) {
        if (!isalnum(static_cast<unsigned char>(ch)))
            ch = '_';
    }
    return name;
});

} // namespace
