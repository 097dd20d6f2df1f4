// Which entry names may be joined to the install directory.
#include <gtest/gtest.h>

#include <cstring>

#include "EntryName.h"

namespace {

struct NameCase {
    const char* name;
    bool safe;
};

const NameCase NAMES[] = {
    {"readme.txt", true},
    {"docs/readme.txt", true},
    {"docs\\sub\\readme.txt", true},
    {"docs/", true},
    {"a..b/c..", true},
    {".hidden/.x", true},
    {"./a.txt", true},
    {"..", false},
    {"../a.txt", false},
    {"..\\a.txt", false},
    {"docs/../../a.txt", false},
    {"docs\\..\\a.txt", false},
    {"docs/..", false},
    {"docs/.../a.txt", false},
    {"docs/.. /a.txt", false},
    {"docs/ ../a.txt", false},
    {"/a.txt", false},
    {"\\a.txt", false},
    {"\\\\server\\share\\a.txt", false},
    {"C:a.txt", false},
    {"C:\\a.txt", false},
    {"a.txt:stream", false},
};

TEST(EntryName, OnlyRelativePathsThatStayBelow)
{
    for (const NameCase& c : NAMES)
        EXPECT_EQ(c.safe, IsSafeEntryName(c.name, std::strlen(c.name))) << c.name;
}

TEST(EntryName, NulInsideOrNothingAtAllIsRefused)
{
    const char withNul[] = {'a', '\0', 'b'};
    EXPECT_FALSE(IsSafeEntryName(withNul, sizeof withNul));
    EXPECT_FALSE(IsSafeEntryName("", 0));
}

} // namespace
