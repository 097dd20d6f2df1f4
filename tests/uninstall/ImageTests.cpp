#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "Driver.h"

namespace {

class VersionResource : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string exe = kit::WindowsPath(KESTRUN_EXE);
        DWORD handle = 0;
        DWORD size = GetFileVersionInfoSizeA(exe.c_str(), &handle);
        ASSERT_GT(size, 0u);
        data.resize(size);
        ASSERT_TRUE(GetFileVersionInfoA(exe.c_str(), 0, size, data.data()));
    }
    // Null when the value is missing.
    const char* Value(const char* name)
    {
        std::string sub = std::string("\\StringFileInfo\\040904E4\\") + name;
        void* value = nullptr;
        UINT length = 0;
        if (!VerQueryValueA(data.data(), sub.c_str(), &value, &length))
            return nullptr;
        return length == 0 ? "" : static_cast<const char*>(value);
    }
    std::vector<char> data;
};

TEST_F(VersionResource, FixedVersionsAreOnePointThree)
{
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010003u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010003u);
    EXPECT_EQ(fixed->dwProductVersionLS, 0u);
    EXPECT_EQ(fixed->dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
    EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
}

TEST_F(VersionResource, UsEnglishInCodePage1252)
{
    WORD* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 1252);
}

TEST_F(VersionResource, StringFields)
{
    const struct {
        const char* name;
        const char* value;
    } fields[] = {
        {"FileDescription", "Uninstaller Program"},
        {"FileVersion", "1.03"},
        {"ProductVersion", "1.03"},
        {"CompanyName", ""},
        {"LegalTrademarks", ""},
        {"InternalName", "kestrun"},
        {"OriginalFilename", "kestrun.exe"},
        {"ProductName", "setupkit"},
    };
    for (const auto& field : fields) {
        const char* value = Value(field.name);
        ASSERT_NE(value, nullptr) << field.name;
        EXPECT_STREQ(value, field.value) << field.name;
    }
    EXPECT_NE(Value("LegalCopyright"), nullptr);
}

} // namespace

namespace {

TEST(Image, IsAGuiProgramWithoutTheDecompressor)
{
    std::string exe = kit::WindowsPath(KESTRUN_EXE);
    HANDLE file = CreateFileA(exe.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    std::vector<char> image(GetFileSize(file, nullptr));
    DWORD got = 0;
    ReadFile(file, image.data(), static_cast<DWORD>(image.size()), &got, nullptr);
    CloseHandle(file);
    ASSERT_EQ(got, image.size());

    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image.data());
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS32*>(image.data() + dos->e_lfanew);
    EXPECT_EQ(nt->OptionalHeader.Subsystem, IMAGE_SUBSYSTEM_WINDOWS_GUI);
    // zlib leaves its banner in any program that links its inflate.
    EXPECT_EQ(std::string(image.begin(), image.end()).find(" inflate "), std::string::npos);
}

} // namespace
