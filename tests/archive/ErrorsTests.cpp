#include <gtest/gtest.h>

#include <type_traits>

#include "Errors.h"

TEST(Errors, AreDistinctOneByteValues)
{
    static_assert(sizeof(XFile) == 1 && sizeof(XZip) == 1, "one byte each");
    static_assert(!std::is_same<XFile, XZip>::value, "distinct types");
    static_assert(!std::is_polymorphic<XFile>::value && !std::is_polymorphic<XZip>::value, "no vtable");
    XFile f{XFILE_SEEK};
    XFile copy = f;
    EXPECT_EQ(copy.code, 4);
    XZip z{XZIP_NO_DIRECTORY};
    XZip zcopy(z);
    EXPECT_EQ(zcopy.code, 6);
}

// A thrown value is caught only by its own type, and carries its code.
TEST(Errors, HandlersMatchByTypeOnly)
{
    int caughtAs = 0;
    try {
        try {
            throw XFile{XFILE_READ};
        } catch (XZip) {
            caughtAs = 1;
        }
    } catch (XFile e) {
        caughtAs = 2;
        EXPECT_EQ(e.code, XFILE_READ);
    }
    EXPECT_EQ(caughtAs, 2);

    try {
        try {
            throw XZip{XZIP_INFLATE};
        } catch (XFile) {
            caughtAs = 3;
        }
    } catch (XZip e) {
        caughtAs = 4;
        EXPECT_EQ(e.code, XZIP_INFLATE);
    }
    EXPECT_EQ(caughtAs, 4);
}
