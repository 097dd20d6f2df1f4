#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Uninstall.h"

namespace {

struct ParseCase {
    const char* text;
    bool ok;
    const char* title;   // when ok
    const char* logPath; // when ok; null: no log path
};

class ParseCommandLineTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseCommandLineTest, SplitsInPlace)
{
    const ParseCase& c = GetParam();
    std::vector<char> text(c.text, c.text + std::string(c.text).size() + 1);
    char* title = nullptr;
    char* logPath = reinterpret_cast<char*>(1);
    ASSERT_EQ(ParseCommandLine(text.data(), &title, &logPath), c.ok) << c.text;
    if (!c.ok)
        return;
    EXPECT_STREQ(title, c.title);
    if (c.logPath == nullptr)
        EXPECT_EQ(logPath, nullptr);
    else
        EXPECT_STREQ(logPath, c.logPath);
    EXPECT_GE(title, text.data());
    EXPECT_LT(title, text.data() + text.size());
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, ParseCommandLineTest,
    ::testing::Values(
        ParseCase{"", false, nullptr, nullptr},
        ParseCase{"Vantrell C:\\x\\unstall.log", false, nullptr, nullptr},
        ParseCase{"\"Vantrell 2.0", false, nullptr, nullptr},
        ParseCase{"\"Vantrell 2.0\"", true, "Vantrell 2.0", nullptr},
        ParseCase{"\"Vantrell 2.0\" \"\"", true, "Vantrell 2.0", ""},
        ParseCase{"\"Vantrell 2.0\" \"C:\\x\\unstall.log", false, nullptr, nullptr},
        ParseCase{"\"Vantrell 2.0\" C:\\x\\unstall.log", true, "Vantrell 2.0", nullptr},
        ParseCase{"\"Vantrell 2.0\" \"C:\\Program Files\\x\\unstall.log\"", true, "Vantrell 2.0",
                  "C:\\Program Files\\x\\unstall.log"},
        ParseCase{"Files\\Tools\\kestrun.exe \"T\" \"L\"", true, "T", "L"},
        ParseCase{"\"T\"between\"L\" after \"more\"", true, "T", "L"},
        ParseCase{"\"\" \"L\"", true, "", "L"},
        ParseCase{"\"\"", true, "", nullptr}));

} // namespace
