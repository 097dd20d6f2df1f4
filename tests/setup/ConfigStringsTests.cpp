#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ConfigStrings.h"
#include "InstallInfo.h"
#include "ResourceIds.h"

class ConfigStringsTest : public ::testing::Test {
protected:
    void SetUp() override { ModuleInstance = GetModuleHandleA(nullptr); }
};

TEST_F(ConfigStringsTest, LoadConfigStringReadsRowsWithinTheLimit)
{
    char buffer[256];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(LoadConfigString(10999, buffer, 60), buffer);
    EXPECT_STREQ(buffer, "") << "an absent row is the empty string";

    EXPECT_STREQ(LoadConfigString(ROW_PRODUCT_NAME, buffer, 60), "Vantrell");
    EXPECT_STREQ(LoadConfigString(ROW_PRODUCT_NAME, buffer, 2), "V") << "limit 2 only probes";
    EXPECT_STREQ(LoadConfigString(ROW_PRODUCT_NAME, buffer, 5), "Vant");
    EXPECT_STREQ(LoadConfigString(ROW_EXTRA_FIRST + 1, buffer, 260), "%ProgDir%Cache\\");
}

TEST_F(ConfigStringsTest, ErrorTextsAreStoredExactly)
{
    struct Row {
        UINT id;
        const char* text;
    } rows[] = {
        {11000, "Operation successful"},
        {11001, "Cannot locate Zip End-of-Central directory.  Please make sure the entire file was downloaded."},
        {11002, "Cannot locate Zip Central directory."},
        {11003, "File is missing in Zip data."},
        {11004, "Zip file contains corrupted data or is incomplete.  Please download the file again."},
        {11005, "Zip contains file that not compressed using Deflate method."},
        {11006, "Destination folder cannot be created.  Please specify a different folder."},
        {11007, "An error occurred in the zLib decompression library."},
        {11050, "Operation successful"},
        {11051, "Cannot open file."},
        {11052, "Cannot read file."},
        {11053, "Cannot write to file."},
        {11054, "Cannot seek within file."},
        {11055, "An error occurred when closing the file.  Check to make sure there is enough free space "
                "available."},
    };
    for (const Row& row : rows) {
        char buffer[200];
        EXPECT_STREQ(LoadConfigString(row.id, buffer, sizeof buffer), row.text) << row.id;
    }
}

TEST(ReplaceAll, ReturnsOutputInputOrNull)
{
    struct Case {
        const char* input;
        const char* token;
        const char* replacement;
        std::size_t capacity;
        enum { OUTPUT, INPUT, NONE } result;
        const char* expected;
    } cases[] = {
        {"This program will install %ProgName% on your system.", "%ProgName%", "Vantrell", 300, Case::OUTPUT,
         "This program will install Vantrell on your system."},
        {"%ProgName% and %ProgName%", "%ProgName%", "V", 300, Case::OUTPUT, "V and V"},
        {"[%ProgName%]", "%ProgName%", "%ProgName%%ProgName%", 300, Case::OUTPUT, "[%ProgName%%ProgName%]"},
        {"Install %ProgName% now", "%ProgName%", "", 300, Case::OUTPUT, "Install  now"},
        {"no token, %progname% is not one", "%ProgName%", "V", 300, Case::INPUT, ""},
        {"%WinDir%x.ini", "%WinDir%", "C:\\WINDOWS\\", 17, Case::OUTPUT, "C:\\WINDOWS\\x.ini"},
        {"%WinDir%x.ini", "%WinDir%", "C:\\WINDOWS\\", 16, Case::NONE, nullptr},
        {"ab%T%", "%T%", "123456", 9, Case::OUTPUT, "ab123456"},
        {"ab%T%", "%T%", "1234567", 9, Case::NONE, nullptr},
        {"ab%T%cd", "%T%", "123456", 9, Case::NONE, nullptr},
    };
    for (const Case& c : cases) {
        char output[400];
        std::memset(output, '#', sizeof output);
        const char* result = ReplaceAll(output, c.input, c.token, c.replacement, c.capacity);
        switch (c.result) {
        case Case::OUTPUT:
            EXPECT_EQ(result, output) << c.input;
            EXPECT_STREQ(output, c.expected);
            break;
        case Case::INPUT:
            EXPECT_EQ(result, c.input);
            EXPECT_STREQ(output, "");
            break;
        case Case::NONE:
            EXPECT_EQ(result, nullptr) << c.input << " in " << c.capacity;
            break;
        }
        for (std::size_t i = c.capacity; i < sizeof output; ++i)
            ASSERT_EQ(output[i], '#') << "written past the capacity: " << c.input;
    }
}

namespace {

INT_PTR CALLBACK QuietDialogProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}

std::string TextOf(HWND dialog, int id)
{
    char text[400];
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

} // namespace

// A real dialog made from a template, as a wizard page is.
class SubstituteTest : public ConfigStringsTest {
protected:
    void SetUp() override
    {
        ConfigStringsTest::SetUp();
        dialog = CreateDialogParamA(ModuleInstance, MAKEINTRESOURCEA(900), nullptr, QuietDialogProc, 0);
        ASSERT_NE(dialog, nullptr);
    }
    void TearDown() override { DestroyWindow(dialog); }
    HWND dialog = nullptr;
};

TEST_F(SubstituteTest, ProgNameIsReplacedInEveryControl)
{
    SubstituteProgName(dialog);
    EXPECT_EQ(TextOf(dialog, 1001), "This program will install Vantrell on your system.");
    EXPECT_EQ(TextOf(dialog, 1002), "Vantrell group");
    EXPECT_EQ(TextOf(dialog, 1003), "Add Vantrell to the Start->Programs menu");
    EXPECT_EQ(TextOf(dialog, 1004), "The %progname% macro in lower case stays.");
    EXPECT_EQ(TextOf(dialog, 1007), "Twice: Vantrell and Vantrell.");
    EXPECT_EQ(TextOf(dialog, 1008), "Vantrell");
}

TEST_F(SubstituteTest, ShortTextsAndOverlongResultsAreLeftAlone)
{
    MacroPair shortToken = {"ab", "XY"};
    EnumChildWindows(dialog, SubstituteInChild, reinterpret_cast<LPARAM>(&shortToken));
    EXPECT_EQ(TextOf(dialog, 1005), "abab") << "four characters or fewer are never changed";
    EXPECT_EQ(TextOf(dialog, 1006), "XYXYa");

    std::string longName(280, 'n');
    MacroPair longReplacement = {"%ProgName%", longName.c_str()};
    EnumChildWindows(dialog, SubstituteInChild, reinterpret_cast<LPARAM>(&longReplacement));
    EXPECT_EQ(TextOf(dialog, 1001), "This program will install %ProgName% on your system.");
    EXPECT_EQ(TextOf(dialog, 1008), longName) << "280 characters still fit 300 bytes";

    std::string nearlyFull = "%ProgName%" + std::string(289, 'z'); // 299 characters
    SetDlgItemTextA(dialog, 1009, nearlyFull.c_str());
    MacroPair product = {"%ProgName%", "Vantrell"};
    EXPECT_TRUE(SubstituteInChild(GetDlgItem(dialog, 1009), reinterpret_cast<LPARAM>(&product)));
    EXPECT_EQ(TextOf(dialog, 1009), "Vantrell" + std::string(289, 'z'));
}
