#include <gtest/gtest.h>

#include <string>

#include "Errors.h"
#include "TestSupport.h"
#include "Uninstall.h"

namespace {

struct LoadCase {
    const char* name;
    std::string bytes; // the log as it lies on disk
    int code;          // XFile code expected; 0: the header is good
    std::string title; // the logged title when good
};

class LoadLogTest : public ::testing::TestWithParam<LoadCase> {};

TEST_P(LoadLogTest, ChecksTheHeaderWithinTheText)
{
    const LoadCase& c = GetParam();
    ScratchDir scratch("load");
    std::string path = scratch.dir() + "unstall.log";
    WriteWholeFile(path, c.bytes);
    std::unique_ptr<char[]> text;
    LogCursor cursor{};
    char header[HEADER_CAPACITY];
    int code = 0;
    std::string title;
    try {
        LoadLogText(path.c_str(), text, cursor);
        title = CheckLogHeader(cursor, header);
    } catch (XFile e) {
        code = e.code;
    }
    EXPECT_EQ(code, c.code);
    EXPECT_EQ(title, c.title);
    if (text) {
        EXPECT_EQ(*cursor.end, '\0');
        EXPECT_LE(static_cast<std::size_t>(cursor.end - cursor.start), c.bytes.size());
    }
}

using S = std::string;
INSTANTIATE_TEST_SUITE_P(
    Logs, LoadLogTest,
    ::testing::Values(
        LoadCase{"Good", "qvUnstallName=Vantrell 2.0\r\nqvFile=C:\\x\r\n", 0, "Vantrell 2.0"},
        LoadCase{"PrefixInCapitals", "QVUNSTALLNAME=Vantrell\r\n", 0, "Vantrell"},
        LoadCase{"NoLineFeed", "qvUnstallName=Vantrell", 0, "Vantrell"},
        LoadCase{"EmptyTitle", "qvUnstallName=\r\n", 0, ""},
        LoadCase{"Empty", "", XFILE_OPEN, ""},
        LoadCase{"EmptyFirstLine", "\r\nqvUnstallName=Vantrell\r\n", XFILE_OPEN, ""},
        LoadCase{"WrongPrefix", "qvUninstallName=Vantrell\r\n", XFILE_OPEN, ""},
        LoadCase{"ShortPrefix", "qvUnstallName\r\n", XFILE_OPEN, ""},
        LoadCase{"OnlyNuls", S("\0\0\0\0", 4), XFILE_OPEN, ""},
        LoadCase{"NulInHeader", S("qvUnstallName=Van\0trell\r\n", 25), XFILE_OPEN, ""},
        LoadCase{"NulsAfterHeader", S("qvUnstallName=Vantrell\r\n\0\0qvFile=x", 35), 0, "Vantrell"},
        LoadCase{"LongHeader", "qvUnstallName=" + std::string(300, 'L') + "\r\n", 0, std::string(85, 'L')}),
    [](const ::testing::TestParamInfo<LoadCase>& info) { return std::string(info.param.name); });

TEST(LoadLog, TextModeTurnsCrLfIntoLf)
{
    ScratchDir scratch("crlf");
    std::string path = scratch.dir() + "unstall.log";
    WriteWholeFile(path, std::string("qvUnstallName=A\r\nqvFile=B\r\n"));
    std::unique_ptr<char[]> text;
    LogCursor cursor{};
    LoadLogText(path.c_str(), text, cursor);
    EXPECT_EQ(std::string(cursor.start, cursor.end), "qvUnstallName=A\nqvFile=B\n");
}

TEST(LoadLog, MissingFileOrFolderCannotBeOpened)
{
    ScratchDir scratch("missing");
    for (const std::string& path : {scratch.dir() + "absent.log", scratch.path(), scratch.dir()}) {
        std::unique_ptr<char[]> text;
        LogCursor cursor{};
        int code = 0;
        try {
            LoadLogText(path.c_str(), text, cursor);
        } catch (XFile e) {
            code = e.code;
        }
        EXPECT_NE(code, 0) << path;
        EXPECT_EQ(text, nullptr) << path;
    }
}

} // namespace
