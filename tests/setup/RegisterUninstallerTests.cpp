#include <gtest/gtest.h>

#include <string>

#include "InstallationTestSupport.h"
#include "RegisterUninstaller.h"

namespace {

const std::string UNINSTALL_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
const std::string UNINSTALLER = "kit-uninst-test.exe"; // row 10013 of the test configurations
const std::string TITLE = "KitTest Product 2.0";       // row 10011 of config_register

bool KeyExists(const std::string& path)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// A REG_SZ value, or "<absent>".
std::string ReadValue(const std::string& keyPath, const char* name)
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<absent>";
    char data[1024] = {};
    DWORD size = sizeof data - 1;
    DWORD type = REG_NONE;
    LONG result = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        return "<absent>";
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ)) << name;
    return std::string(data);
}

std::string ModuleBytes(const std::string& name)
{
    std::vector<unsigned char> bytes = ReadWholeFile(BesideTestProgram(name));
    return std::string(bytes.begin(), bytes.end());
}

std::string FileBytes(const std::string& path)
{
    std::vector<unsigned char> bytes = ReadWholeFile(path);
    return std::string(bytes.begin(), bytes.end());
}

// An install directory holding the extracted uninstaller, the Windows copy and
// the entry; everything is removed again, since the prefix is shared.
class RegisterUninstallerTest : public ::testing::Test {
protected:
    RegisterUninstallerTest()
        : scratch("register"), installDir(scratch.dir()), extractedCopy(installDir + UNINSTALLER),
          windowsCopy(WindowsDir() + UNINSTALLER), logPath(installDir + "unstall.log")
    {
    }
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    void Clean()
    {
        DeleteFileA(windowsCopy.c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, (UNINSTALL_KEY + TITLE).c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, (UNINSTALL_KEY + "KitTest Volatile\\Child").c_str());
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, (UNINSTALL_KEY + "KitTest Volatile").c_str());
    }
    void PutExtracted(const std::string& module)
    {
        ASSERT_TRUE(CopyFileA(BesideTestProgram(module).c_str(), extractedCopy.c_str(), FALSE)) << module;
    }
    void PutWindowsCopy(const std::string& module)
    {
        ASSERT_TRUE(CopyFileA(BesideTestProgram(module).c_str(), windowsCopy.c_str(), FALSE)) << module;
    }
    std::string Command(const std::string& log) const
    {
        return windowsCopy + " \"" + TITLE + "\" \"" + log + "\"";
    }

    ScratchDir scratch;
    std::string installDir;
    std::string extractedCopy;
    std::string windowsCopy;
    std::string logPath;
};

} // namespace

TEST_F(RegisterUninstallerTest, MovesTheUninstallerAndWritesTheEntry)
{
    ConfigModule config("config_register.dll");
    ASSERT_TRUE(config.loaded());
    PutExtracted("version_1300.dll");

    ASSERT_TRUE(RegisterUninstaller(installDir.c_str(), logPath.c_str()));
    EXPECT_FALSE(PathExists(extractedCopy));
    EXPECT_EQ(FileBytes(windowsCopy), ModuleBytes("version_1300.dll"));
    EXPECT_EQ(ReadValue(UNINSTALL_KEY + TITLE, "DisplayName"), TITLE);
    // Blanks in the title and the log path stay whole between their quotes;
    // the uninstaller's own path is not quoted.
    EXPECT_EQ(ReadValue(UNINSTALL_KEY + TITLE, "UninstallString"), Command(logPath));

    // Installed again under the same title, to another place: one entry, the
    // newest log path.
    ScratchDir second("register second");
    std::string secondLog = second.dir() + "unstall.log";
    ASSERT_TRUE(CopyFileA(BesideTestProgram("version_1300.dll").c_str(), (second.dir() + UNINSTALLER).c_str(), FALSE));
    ASSERT_TRUE(RegisterUninstaller(second.dir().c_str(), secondLog.c_str()));
    EXPECT_EQ(ReadValue(UNINSTALL_KEY + TITLE, "UninstallString"), Command(secondLog));
    EXPECT_EQ(ReadValue(UNINSTALL_KEY + TITLE, "DisplayName"), TITLE);
}

TEST_F(RegisterUninstallerTest, WindowsCopyIsReplacedUnlessItIsNewer)
{
    ConfigModule config("config_register.dll");
    struct Case {
        const char* windowsModule; // null: no copy in the Windows directory
        const char* extractedModule;
        bool moved;
    } cases[] = {
        {nullptr, "version_1299.dll", true},
        {"version_1299.dll", "version_1300.dll", true},     // extracted newer
        {"version_1300.dll", "version_1300.dll", true},     // equal
        {"version_1300.dll", "version_1299.dll", false},    // extracted older
        {"version_1301.dll", "version_1300.dll", false},    // older in the low word only
        {"version_high.dll", "version_1300.dll", false},    // 0x8001.0.0.0 is large, not negative
        {"version_none.dll", "version_1300.dll", true},     // Windows copy without version data
        {"version_1300.dll", "version_none.dll", true},     // extracted copy without version data
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.windowsModule ? c.windowsModule : "none") + " <- " + c.extractedModule);
        Clean();
        if (c.windowsModule != nullptr)
            PutWindowsCopy(c.windowsModule);
        PutExtracted(c.extractedModule);

        EXPECT_TRUE(RegisterUninstaller(installDir.c_str(), logPath.c_str()));
        EXPECT_EQ(PathExists(extractedCopy), !c.moved);
        EXPECT_EQ(FileBytes(windowsCopy), ModuleBytes(c.moved ? c.extractedModule : c.windowsModule));
        // The entry names the Windows copy in every case.
        EXPECT_EQ(ReadValue(UNINSTALL_KEY + TITLE, "UninstallString"), Command(logPath));
        DeleteFileA(extractedCopy.c_str());
    }
}

TEST_F(RegisterUninstallerTest, RefusalsChangeNothing)
{
    // The command ends up at exactly 519 characters with this log path...
    std::string fits = Command("");
    std::string longLog = installDir + std::string(519 - fits.size() - installDir.size(), 'L');
    ASSERT_EQ(Command(longLog).size(), 519u);
    // ...and one more character would not fit the 520-byte buffer.
    std::string tooLongLog = longLog + "L";
    // The extracted copy's path would need 260 characters.
    std::string tooLongDir = installDir + std::string(259 - installDir.size() - UNINSTALLER.size(), 'D') + "\\";
    ASSERT_EQ((tooLongDir + UNINSTALLER).size(), 260u);
    struct Case {
        const char* module;
        std::string dir;
        std::string log;
        const char* why;
    } cases[] = {
        {"config_noname.dll", installDir, logPath, "no uninstaller name"},
        {"config_notitle.dll", installDir, logPath, "empty title: the key would be the list's own"},
        {"config_quote.dll", installDir, logPath, "a double quote in the title would end it early"},
        {"config_register.dll", installDir, installDir + "un\"stall.log", "a double quote in the log path"},
        {"config_register.dll", installDir, tooLongLog, "command of 520 characters"},
        {"config_register.dll", tooLongDir, logPath, "extracted copy's path of 260 characters"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.why);
        ConfigModule config(c.module);
        ASSERT_TRUE(config.loaded());
        PutExtracted("version_1300.dll");

        EXPECT_FALSE(RegisterUninstaller(c.dir.c_str(), c.log.c_str()));
        EXPECT_TRUE(PathExists(extractedCopy)) << "not moved";
        EXPECT_FALSE(PathExists(windowsCopy));
        EXPECT_FALSE(KeyExists(UNINSTALL_KEY + TITLE));
        EXPECT_FALSE(KeyExists(UNINSTALL_KEY + "KitTest \"Quoted\" 2.0"));
        EXPECT_EQ(ReadValue(UNINSTALL_KEY, "UninstallString"), "<absent>");
        EXPECT_EQ(ReadValue(UNINSTALL_KEY, "DisplayName"), "<absent>");
    }

    ConfigModule config("config_register.dll");
    ASSERT_TRUE(RegisterUninstaller(installDir.c_str(), longLog.c_str())) << "519 characters fit";
    EXPECT_EQ(ReadValue(UNINSTALL_KEY + TITLE, "UninstallString"), Command(longLog));
}

TEST_F(RegisterUninstallerTest, MissingUninstallerIsNotRegistered)
{
    ConfigModule config("config_register.dll");
    EXPECT_FALSE(RegisterUninstaller(installDir.c_str(), logPath.c_str()));
    EXPECT_FALSE(PathExists(windowsCopy));
    EXPECT_FALSE(KeyExists(UNINSTALL_KEY + TITLE));
}

TEST_F(RegisterUninstallerTest, FailedKeyCreationAfterTheMoveIsFalse)
{
    // A lasting key cannot be created below a volatile one.
    HKEY parent;
    DWORD disposition;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, (UNINSTALL_KEY + "KitTest Volatile").c_str(), 0, nullptr,
                              REG_OPTION_VOLATILE, KEY_ALL_ACCESS, nullptr, &parent, &disposition),
              ERROR_SUCCESS);
    RegCloseKey(parent);
    ConfigModule config("config_volatile.dll");
    PutExtracted("version_1300.dll");

    EXPECT_FALSE(RegisterUninstaller(installDir.c_str(), logPath.c_str()));
    EXPECT_FALSE(PathExists(extractedCopy));
    EXPECT_TRUE(PathExists(windowsCopy)) << "the uninstaller was placed before the key failed";
    EXPECT_FALSE(KeyExists(UNINSTALL_KEY + "KitTest Volatile\\Child"));
}

TEST(CompareFileVersions, FixedFileVersionsCompareUnsigned)
{
    // The resources are longer than the 250 bytes that are read of them.
    DWORD handle = 0;
    ASSERT_GT(GetFileVersionInfoSizeA(BesideTestProgram("version_1300.dll").c_str(), &handle), 250u);

    struct Case {
        const char* a;
        const char* b;
        int expected;
    } cases[] = {
        {"version_1300.dll", "version_1299.dll", 1},
        {"version_1299.dll", "version_1300.dll", -1}, // its product version 9.9.9.9 does not count
        {"version_1300.dll", "version_1300.dll", 0},
        {"version_1301.dll", "version_1300.dll", 1},
        {"version_1300.dll", "version_1301.dll", -1},
        {"version_high.dll", "version_1300.dll", 1},
        {"version_1300.dll", "version_high.dll", -1},
        {"version_none.dll", "version_1300.dll", 0},
        {"version_1300.dll", "version_none.dll", 1},
        {"version_none.dll", "version_none.dll", 0},
        {"no-such-file.dll", "version_1300.dll", 0},
        {"version_1300.dll", "no-such-file.dll", 1},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CompareFileVersions(BesideTestProgram(c.a).c_str(), BesideTestProgram(c.b).c_str()), c.expected)
            << c.a << " vs " << c.b;
}
