#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "Uninstall.h"

namespace {

// The text ends right before a page that can't be read, so a scan that
// looks past the delivered length faults at once.
class GuardedText {
public:
    explicit GuardedText(const std::string& text)
    {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        page_ = info.dwPageSize;
        base_ = static_cast<char*>(VirtualAlloc(nullptr, 2 * page_, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        DWORD old;
        VirtualProtect(base_ + page_, page_, PAGE_NOACCESS, &old);
        first_ = base_ + page_ - text.size();
        std::memcpy(first_, text.data(), text.size());
        size_ = text.size();
    }
    ~GuardedText() { VirtualFree(base_, 0, MEM_RELEASE); }
    GuardedText(const GuardedText&) = delete;
    GuardedText& operator=(const GuardedText&) = delete;

    LogCursor Cursor() const { return LogCursor{first_, first_, first_ + size_, 0}; }

private:
    char* base_ = nullptr;
    char* first_ = nullptr;
    std::size_t size_ = 0;
    std::size_t page_ = 0;
};

struct LineCase {
    std::string text;
    std::size_t capacity;
    std::vector<std::string> lines; // as copied, NULs included
    bool endsWithoutLf;             // next is null afterwards
};

class NextLineTest : public ::testing::TestWithParam<LineCase> {};

TEST_P(NextLineTest, TakesLinesWithinTheText)
{
    const LineCase& c = GetParam();
    GuardedText text(c.text);
    LogCursor cursor = text.Cursor();
    std::vector<char> buffer(c.capacity + 1, '#');
    std::vector<std::string> lines;
    while (char* line = NextLine(cursor, buffer.data(), c.capacity)) {
        ASSERT_EQ(line, buffer.data());
        ASSERT_LT(cursor.taken, c.capacity);
        ASSERT_EQ(buffer[cursor.taken], '\0');
        ASSERT_EQ(buffer[c.capacity], '#') << "written past the capacity";
        lines.emplace_back(buffer.data(), cursor.taken);
        ASSERT_LE(lines.size(), c.lines.size());
    }
    EXPECT_EQ(lines, c.lines);
    EXPECT_EQ(cursor.next == nullptr, c.endsWithoutLf);
    EXPECT_EQ(NextLine(cursor, buffer.data(), c.capacity), nullptr) << "the end stays the end";
}

using S = std::string;
INSTANTIATE_TEST_SUITE_P(
    Texts, NextLineTest,
    ::testing::Values(LineCase{"a\nbc\n", 10, {"a", "bc"}, false},
                      LineCase{"a\nbc", 10, {"a", "bc"}, true},
                      LineCase{"a\n\nbc\n", 10, {"a"}, false},
                      LineCase{"", 10, {}, false},
                      LineCase{"\n", 10, {}, false},
                      LineCase{"no line feed at all", 10, {"no line f"}, true},
                      LineCase{"abcdef\nxy\n", 4, {"abc", "xy"}, false},
                      LineCase{"abc\nxy", 4, {"abc", "xy"}, true},
                      LineCase{"abcd\nxy", 4, {"abc", "xy"}, true},
                      LineCase{S("a\0b\nc", 5), 10, {S("a\0b", 3), "c"}, true},
                      LineCase{S("\0\0\0", 3), 10, {S("\0\0\0", 3)}, true},
                      LineCase{S("ab\0", 3), 2, {"a"}, true},
                      LineCase{"x\ny", 1, {}, false}));

TEST(NextLine, FlagsLinesHoldingNul)
{
    GuardedText text(std::string("qvFile=C:\\a\0b\nqvFile=C:\\c\n", 26));
    LogCursor cursor = text.Cursor();
    char line[ENTRY_CAPACITY];
    ASSERT_NE(NextLine(cursor, line, sizeof line), nullptr);
    EXPECT_TRUE(LineHoldsNul(cursor, line));
    ASSERT_NE(NextLine(cursor, line, sizeof line), nullptr);
    EXPECT_FALSE(LineHoldsNul(cursor, line));
    EXPECT_STREQ(line, "qvFile=C:\\c");
}

TEST(AsciiCase, FoldsOnlyAsciiLetters)
{
    EXPECT_TRUE(EqualIgnoringAsciiCase("Vantrell 2.0", "VANTRELL 2.0"));
    EXPECT_TRUE(EqualIgnoringAsciiCase("", ""));
    EXPECT_FALSE(EqualIgnoringAsciiCase("Caf\xE9", "CAF\xC9"));
    EXPECT_FALSE(EqualIgnoringAsciiCase("Vantrell", "Vantrell "));
    EXPECT_FALSE(EqualIgnoringAsciiCase("[", "{")) << "only letters fold";
    EXPECT_TRUE(StartsWithIgnoringAsciiCase("QVUNSTALLNAME=x", "qvUnstallName="));
    EXPECT_FALSE(StartsWithIgnoringAsciiCase("qvUnstall", "qvUnstallName="));
}

TEST(Compose, RefusesTitlesTheBuffersCannotHold)
{
    char question[QUESTION_CAPACITY];
    char keyPath[KEY_PATH_CAPACITY];
    std::string longest(187, 'q');
    EXPECT_TRUE(ComposeQuestion(longest.c_str(), question));
    EXPECT_EQ(std::string(question), "Remove " + longest + " now?");
    EXPECT_FALSE(ComposeQuestion((longest + "q").c_str(), question));
    EXPECT_STREQ(question, "");

    std::string longestKey(207, 'k');
    EXPECT_TRUE(ComposeKeyPath(longestKey.c_str(), keyPath));
    EXPECT_EQ(std::string(keyPath), "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + longestKey);
    EXPECT_FALSE(ComposeKeyPath((longestKey + "k").c_str(), keyPath));
    EXPECT_STREQ(keyPath, "");
}

} // namespace
