// Setup images built by mksetup, read back through Windows' own resource
// loader: every configuration row, the kept error texts, picture and icon.
#include <gtest/gtest.h>

#include "TestSupport.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <sstream>

namespace {

std::map<int, std::string> ExpectedRows()
{
    std::map<int, std::string> rows;
    std::vector<unsigned char> bytes = ReadWholeFile(FixturePath("kit\\expected_rows.txt"));
    std::istringstream in(std::string(bytes.begin(), bytes.end()));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::size_t tab = line.find('\t');
        if (tab == std::string::npos)
            continue;
        std::string text = line.substr(tab + 1);
        for (std::size_t at; (at = text.find("\\r\\n")) != std::string::npos;)
            text.replace(at, 4, "\r\n");
        rows[std::stoi(line.substr(0, tab))] = text;
    }
    return rows;
}

std::wstring Wide(const std::string& utf8)
{
    wchar_t buffer[600] = {};
    MultiByteToWideChar(CP_UTF8, 0, utf8.c_str(), -1, buffer, 600);
    return buffer;
}

// The buffer size each row is read with by the setup program.
int ReaderLimit(int row)
{
    if (row <= 10003 || row == 10015)
        return 255;
    if (row >= 10100 && row <= 10298)
        return 260;
    if (row >= 11000)
        return 200;
    return 60;
}

class ImageStrings : public ::testing::TestWithParam<const char*> {};

TEST_P(ImageStrings, EveryRowReadsBackExactly)
{
    std::string image = FixturePath(GetParam());
    if (!PathExists(image))
        GTEST_SKIP() << "no image " << image << " (mksetup or the stub was not built)";
    HMODULE module = LoadLibraryExA(image.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr) << GetLastError();
    std::map<int, std::string> expected = ExpectedRows();
    ASSERT_GT(expected.size(), 20u);
    for (int row = 10000; row <= 10299; ++row) {
        std::wstring want = Wide(expected.count(row) ? expected[row] : "");
        wchar_t wide[600] = {};
        LoadStringW(module, row, wide, 600);
        EXPECT_EQ(want, std::wstring(wide)) << "row " << row;
        char narrow[600] = {};
        int limit = ReaderLimit(row);
        LoadStringA(module, row, narrow, limit);
        char wantNarrow[600] = {};
        WideCharToMultiByte(CP_ACP, 0, want.c_str(), -1, wantNarrow, 600, nullptr, nullptr);
        EXPECT_STREQ(wantNarrow, narrow) << "row " << row;
    }
    for (int row : {11000, 11001, 11004, 11007, 11050, 11051, 11055}) {
        char narrow[200] = {};
        LoadStringA(module, row, narrow, 200);
        EXPECT_EQ(expected[row], narrow) << "row " << row;
    }
    FreeLibrary(module);
}

TEST_P(ImageStrings, PictureAndIconAreTheProducts)
{
    std::string image = FixturePath(GetParam());
    if (!PathExists(image))
        GTEST_SKIP() << "no image " << image;
    HMODULE module = LoadLibraryExA(image.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(199), MAKEINTRESOURCEA(2));
    ASSERT_NE(found, nullptr);
    std::vector<unsigned char> bmp = ReadWholeFile(FixturePath("kit\\side.bmp"));
    ASSERT_GT(bmp.size(), 14u);
    const unsigned char* data = static_cast<const unsigned char*>(LockResource(LoadResource(module, found)));
    ASSERT_EQ(SizeofResource(module, found), bmp.size() - 14);
    EXPECT_EQ(0, memcmp(data, bmp.data() + 14, bmp.size() - 14));

    HRSRC group = FindResourceA(module, MAKEINTRESOURCEA(10), MAKEINTRESOURCEA(14));
    ASSERT_NE(group, nullptr);
    auto* dir = static_cast<BYTE*>(LockResource(LoadResource(module, group)));
    for (int size : {32, 16}) {
        int id = LookupIconIdFromDirectoryEx(dir, TRUE, size, size, LR_DEFAULTCOLOR);
        ASSERT_NE(id, 0);
        HRSRC icon = FindResourceA(module, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(3));
        ASSERT_NE(icon, nullptr);
        auto* bits = static_cast<BYTE*>(LockResource(LoadResource(module, icon)));
        HICON handle = CreateIconFromResourceEx(bits, SizeofResource(module, icon), TRUE, 0x00030000, size, size,
                                                LR_DEFAULTCOLOR);
        EXPECT_NE(handle, nullptr) << size;
        const BITMAPINFOHEADER* header = reinterpret_cast<const BITMAPINFOHEADER*>(bits);
        EXPECT_EQ(size, header->biWidth);
        EXPECT_EQ(4, header->biBitCount);
        if (handle)
            DestroyIcon(handle);
    }
    FreeLibrary(module);
}

TEST_P(ImageStrings, RebuiltImageStillRunsAndSeesItsStoredCrc)
{
    std::string image = FixturePath(GetParam());
    if (!PathExists(image) || std::string(GetParam()).find("stub") == std::string::npos)
        GTEST_SKIP() << "only the test stub reports its stored value";
    std::vector<unsigned char> bytes = ReadWholeFile(image);
    const char marker[] = "KSTVALUES-STORE1";
    auto at = std::search(bytes.begin(), bytes.end(), marker, marker + 16);
    ASSERT_NE(at, bytes.end());
    DWORD crc = 0;
    memcpy(&crc, &*at + 16, 4);
    STARTUPINFOA start = {};
    start.cb = sizeof start;
    PROCESS_INFORMATION process = {};
    std::string command = "\"" + image + "\"";
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &start, &process));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 60000));
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    EXPECT_EQ(crc & 0x7F, code);
}

INSTANTIATE_TEST_SUITE_P(Images, ImageStrings,
                         ::testing::Values("kit\\stub-setup.exe", "kit\\real-setup.exe"));

}  // namespace
