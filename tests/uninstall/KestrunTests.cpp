// kestrun.exe under the driver: each case starts it with a command line as
// the shell would, answers its message boxes and checks disk and registry.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "Driver.h"
#include "TestSupport.h"

namespace {

using kit::IconKind;

constexpr DWORD WAIT_MS = 15000;
const char* const UNINSTALL_KEY = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

const char* const QUESTION = "Remove {T} now?";
const char* const NOT_FOUND = "Cannot find program.  A different version of the software may have been installed.\n\n"
                              "This item will be removed from the uninstall list.";
const char* const FILES_LEFT = "Not all files could be uninstalled.";
const char* const FOLDERS_LEFT = "Not all folders could be uninstalled.";
const char* const DONE = "Program is now uninstalled.";
const char* const FILE_ERROR = "A file error occurred while trying to uninstall the program.";

struct Box {
    const char* text;
    const char* caption; // "{T}": the command-line title
    IconKind icon;
    const char* answer;
};

const Box ASK_YES{QUESTION, "Uninstall", IconKind::Question, "Yes"};
const Box ASK_NO{QUESTION, "Uninstall", IconKind::Question, "No"};
const Box SAY_DONE{DONE, "{T}", IconKind::Warning, "OK"};
const Box SAY_NOT_FOUND{NOT_FOUND, "Uninstall", IconKind::Information, "OK"};
const Box SAY_FILES_LEFT{FILES_LEFT, "Uninstall", IconKind::Information, "OK"};
const Box SAY_FOLDERS_LEFT{FOLDERS_LEFT, "Uninstall", IconKind::Information, "OK"};
const Box SAY_FILE_ERROR{FILE_ERROR, "Uninstall", IconKind::Warning, "OK"};

// The product as installed: {P} is its folder with a trailing backslash.
const char* const PRODUCT[] = {"unstall.log", "a.txt", "b.txt", "Data\\c.txt", "Data\\", ""};
const char* const STANDARD_LOG = "qvUnstallName={T}\n"
                                 "qvFile={P}unstall.log\n"
                                 "qvFile={P}a.txt\n"
                                 "qvFolder={P}Data\\\n"
                                 "qvFile={P}Data\\c.txt\n"
                                 "qvFile={P}b.txt\n"
                                 "qvFolder={P}\n";
const char* const ALL = "unstall.log|a.txt|b.txt|Data\\c.txt|Data\\|";
const char* const NOTHING = nullptr;
// {EXE}: the program's path, unquoted as the setup program writes it.
const char* const STANDARD_ARGS = "{EXE} \"{T}\" \"{L}\"";

struct Case {
    const char* name;
    std::string title;
    std::string log; // "\n" reaches the disk as CR LF, as the setup program writes it
    const char* commandLine;
    std::vector<Box> boxes;
    const char* kept;       // product entries still there afterwards, "|"-separated; null: none
    bool keyRemoved;        // the title's uninstall entry is gone
    const char* extra = ""; // files created besides the product, "|"-separated
    const char* readOnly = "";
};

void PrintTo(const Case& c, std::ostream* out)
{
    *out << c.name;
}

std::vector<std::string> Split(const char* text)
{
    std::vector<std::string> parts;
    if (text == nullptr)
        return parts;
    std::string rest = text;
    for (;;) {
        std::size_t bar = rest.find('|');
        parts.push_back(rest.substr(0, bar));
        if (bar == std::string::npos)
            return parts;
        rest.erase(0, bar + 1);
    }
}

std::string Replace(std::string text, const std::string& token, const std::string& value)
{
    for (std::size_t at = text.find(token); at != std::string::npos; at = text.find(token, at + value.size()))
        text.replace(at, token.size(), value);
    return text;
}

std::string Upper(std::string text)
{
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

class KestrunTest : public ::testing::TestWithParam<Case> {
protected:
    void SetUp() override
    {
        product = scratch.dir() + "Prod\\";
        exe = kit::WindowsPath(KESTRUN_EXE);
    }
    void TearDown() override
    {
        if (!keyPath.empty())
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, keyPath.c_str());
    }

    std::string Expand(std::string text, const std::string& title) const
    {
        text = Replace(text, "{EXEBLANK}", scratch.dir() + "Tool Dir\\kestrun.exe");
        text = Replace(text, "{EXE}", exe);
        text = Replace(text, "{T}", title);
        text = Replace(text, "{L}", product + "unstall.log");
        return Replace(text, "{P}", product);
    }

    void Install(const Case& c)
    {
        CreateDirectoryA(product.c_str(), nullptr);
        CreateDirectoryA((product + "Data").c_str(), nullptr);
        for (const char* name : PRODUCT) {
            std::string path = product + name;
            if (!path.empty() && path.back() != '\\')
                WriteWholeFile(path, "data of " + std::string(name));
        }
        for (const std::string& name : Split(c.extra)) {
            if (!name.empty())
                WriteWholeFile(product + name, std::string("added"));
        }
        WriteWholeFile(product + "unstall.log", Replace(Expand(c.log, c.title), "\n", "\r\n"));
        for (const std::string& name : Split(c.readOnly)) {
            if (!name.empty())
                SetFileAttributesA((product + name).c_str(), FILE_ATTRIBUTE_READONLY);
        }
        if (!c.title.empty()) {
            keyPath = std::string(UNINSTALL_KEY) + "\\" + c.title;
            HKEY key;
            ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                      KEY_ALL_ACCESS, nullptr, &key, nullptr),
                      ERROR_SUCCESS);
            RegSetValueExA(key, "DisplayName", 0, REG_SZ, reinterpret_cast<const BYTE*>(c.title.c_str()),
                           static_cast<DWORD>(c.title.size() + 1));
            RegCloseKey(key);
        }
        std::string toolDir = scratch.dir() + "Tool Dir";
        CreateDirectoryA(toolDir.c_str(), nullptr);
        CopyFileA(exe.c_str(), (toolDir + "\\kestrun.exe").c_str(), FALSE);
    }

    static bool KeyExists(const std::string& path)
    {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
            return false;
        RegCloseKey(key);
        return true;
    }

    ScratchDir scratch{"kestrun"};
    std::string product;
    std::string exe;
    std::string keyPath;
};

TEST_P(KestrunTest, AnswersAndChecks)
{
    const Case& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(Install(c));
    std::string commandLine = Expand(c.commandLine, c.title);
    bool blankPath = std::string(c.commandLine).find("{EXEBLANK}") != std::string::npos;
    kit::Program program;
    // The unquoted path with blanks is left for Windows to resolve, as the shell does.
    ASSERT_TRUE(program.Start(blankPath ? "" : exe, commandLine));

    for (std::size_t i = 0; i < c.boxes.size(); ++i) {
        const Box& expected = c.boxes[i];
        kit::MessageBoxView box;
        ASSERT_TRUE(kit::WaitForMessageBox(program, box, WAIT_MS)) << "message box " << i << " never came";
        EXPECT_EQ(box.text, Expand(expected.text, c.title)) << "box " << i;
        EXPECT_EQ(box.caption, Expand(expected.caption, c.title)) << "box " << i;
        EXPECT_STREQ(kit::IconName(box.icon), kit::IconName(expected.icon)) << "box " << i;
        bool question = expected.icon == IconKind::Question;
        EXPECT_EQ(kit::ButtonTexts(box), question ? "&Yes|&No" : "OK") << "box " << i;
        EXPECT_EQ(GetWindow(box.window, GW_OWNER), nullptr) << "box " << i << " has no owner";
        ASSERT_TRUE(kit::PressButton(box.window, expected.answer)) << kit::ButtonTexts(box);
        ASSERT_TRUE(kit::WaitUntilGone(box.window, WAIT_MS));
    }
    DWORD code = 99;
    if (!program.WaitExit(WAIT_MS, &code)) {
        kit::MessageBoxView extra;
        if (kit::WaitForMessageBox(program, extra, 100))
            ADD_FAILURE() << "unexpected message box: " << extra.caption << ": " << extra.text;
        FAIL() << "kestrun did not end";
    }
    EXPECT_EQ(code, 0u);

    std::vector<std::string> kept = Split(c.kept);
    for (const char* name : PRODUCT) {
        bool shouldStay = std::find(kept.begin(), kept.end(), name) != kept.end();
        EXPECT_EQ(PathExists(product + name), shouldStay) << "Prod\\" << name;
    }
    for (const std::string& name : Split(c.extra)) {
        if (!name.empty()) {
            EXPECT_TRUE(PathExists(product + name)) << "added file " << name << " stays";
        }
    }
    if (!c.title.empty()) {
        EXPECT_EQ(KeyExists(keyPath), !c.keyRemoved);
    }
    EXPECT_TRUE(KeyExists(UNINSTALL_KEY)) << "the uninstall list itself";
}

const std::string TITLE = "Kit Product 1";
const std::string STANDARD = STANDARD_LOG;

std::string WithoutLastLf(std::string text)
{
    text.pop_back();
    return text;
}

std::string ReplaceLine(const std::string& line, const std::string& with)
{
    return Replace(STANDARD, line + "\n", with);
}

const Case CASES[] = {
    // The whole removal; the log deletes itself; folders go after every file.
    {"Removes", TITLE, STANDARD, STANDARD_ARGS, {ASK_YES, SAY_DONE}, NOTHING, true},
    {"AnswerNo", TITLE, STANDARD, STANDARD_ARGS, {ASK_NO}, ALL, false},

    // Command-line shapes.
    {"EmptyCommandLine", TITLE, STANDARD, "{EXE}", {}, ALL, false},
    {"NoQuotes", TITLE, STANDARD, "{EXE} {T} {L}", {}, ALL, false},
    {"UnclosedLogPath", TITLE, STANDARD, "{EXE} \"{T}\" \"{L}", {}, ALL, false},
    {"TitleOnly", TITLE, STANDARD, "{EXE} \"{T}\"", {ASK_YES, SAY_NOT_FOUND, SAY_DONE}, ALL, true},
    {"EmptyLogPath", TITLE, STANDARD, "{EXE} \"{T}\" \"\"", {ASK_YES, SAY_NOT_FOUND, SAY_DONE}, ALL, true},
    {"UnquotedLogPath", TITLE, STANDARD, "{EXE} \"{T}\" {L}", {ASK_YES, SAY_NOT_FOUND, SAY_DONE}, ALL, true},
    {"ProgramPathWithBlanks", TITLE, STANDARD, "{EXEBLANK} \"{T}\" \"{L}\"", {ASK_YES, SAY_DONE}, NOTHING, true},

    // Header checks: a failed one asks nothing and removes nothing.
    {"MissingLog", TITLE, STANDARD, "{EXE} \"{T}\" \"{P}absent.log\"", {SAY_FILE_ERROR}, ALL, false},
    {"LogIsAFolder", TITLE, STANDARD, "{EXE} \"{T}\" \"{P}Data\"", {SAY_FILE_ERROR}, ALL, false},
    {"EmptyLog", TITLE, "", STANDARD_ARGS, {SAY_FILE_ERROR}, ALL, false},
    {"EmptyFirstLine", TITLE, "\n" + STANDARD, STANDARD_ARGS, {SAY_FILE_ERROR}, ALL, false},
    {"WrongPrefix", TITLE, "qvUninstallName={T}\n" + STANDARD.substr(STANDARD.find('\n') + 1), STANDARD_ARGS,
     {SAY_FILE_ERROR}, ALL, false},
    {"OnlyNulBytes", TITLE, std::string(8, '\0'), STANDARD_ARGS, {SAY_FILE_ERROR}, ALL, false},
    {"PrefixInCapitals", TITLE, ReplaceLine("qvUnstallName={T}", "QVUNSTALLNAME={T}\n"), STANDARD_ARGS,
     {ASK_YES, SAY_DONE}, NOTHING, true},
    {"TitleInOtherAsciiCase", TITLE, ReplaceLine("qvUnstallName={T}", "qvUnstallName=" + Upper(TITLE) + "\n"),
     STANDARD_ARGS, {ASK_YES, SAY_DONE}, NOTHING, true},
    {"TitleInOtherCaseBeyondAscii", "Kit Caf\xE9", ReplaceLine("qvUnstallName={T}", "qvUnstallName=Kit Caf\xC9\n"),
     STANDARD_ARGS, {ASK_YES, SAY_NOT_FOUND, SAY_DONE}, ALL, true},
    {"AnotherProductsLog", TITLE, ReplaceLine("qvUnstallName={T}", "qvUnstallName=Other Product\n"),
     STANDARD_ARGS, {ASK_YES, SAY_NOT_FOUND, SAY_DONE}, ALL, true},
    {"LongHeaderCutShort", std::string(90, 'h'), STANDARD, STANDARD_ARGS, {ASK_YES, SAY_NOT_FOUND, SAY_DONE}, ALL,
     true},

    // Entries.
    {"EmptyLineEndsThePasses", TITLE, ReplaceLine("qvFile={P}a.txt", "qvFile={P}a.txt\n\n"), STANDARD_ARGS,
     {ASK_YES, SAY_DONE}, "b.txt|Data\\c.txt|Data\\|", true},
    {"LastLineWithoutLineFeed", TITLE, WithoutLastLf(STANDARD), STANDARD_ARGS, {ASK_YES, SAY_DONE}, NOTHING, true},
    {"ReadOnlyFilesAndFullFolder", TITLE, STANDARD, STANDARD_ARGS,
     {ASK_YES, SAY_FILES_LEFT, SAY_FOLDERS_LEFT, SAY_DONE}, "a.txt|b.txt|Data\\|", true, "Data\\user.txt",
     "a.txt|b.txt"},
    {"AlreadyGone", TITLE, STANDARD + "qvFile={P}gone.txt\nqvFolder={P}Gone\\\nqvFile=Q:\\nowhere\\x\n",
     STANDARD_ARGS, {ASK_YES, SAY_DONE}, NOTHING, true},
    {"OverlongEntryLine", TITLE,
     ReplaceLine("qvFile={P}a.txt", "qvFile={P}" + std::string(400, 'n') + "\nqvFile={P}a.txt\n"), STANDARD_ARGS,
     {ASK_YES, SAY_DONE}, NOTHING, true},
    // A NUL would cut the path short, so such a line names nothing.
    {"NulInAnEntry", TITLE, ReplaceLine("qvFile={P}a.txt", "qvFile={P}a.txt" + std::string(1, '\0') + "x\n"),
     STANDARD_ARGS, {ASK_YES, SAY_FOLDERS_LEFT, SAY_DONE}, "a.txt|", true},

    // Titles: an empty one never touches the uninstall list's own key; one
    // too long for the confirmation text is refused before anything happens.
    {"EmptyTitle", "", STANDARD, STANDARD_ARGS, {ASK_YES, SAY_DONE}, NOTHING, false},
    {"LongestTitle", std::string(187, 't'), STANDARD, STANDARD_ARGS, {ASK_NO}, ALL, false},
    {"OverlongTitle", std::string(188, 't'), STANDARD, STANDARD_ARGS, {}, ALL, false},
};

// The log is read whole and closed before the question is asked, so it
// can be renamed while the question is open.
TEST(Kestrun, LogIsClosedWhileAsking)
{
    ScratchDir scratch("kestrun-open");
    std::string log = scratch.dir() + "unstall.log";
    WriteWholeFile(log, std::string("qvUnstallName=Kit Open\r\nqvFile=") + log + "\r\n");
    kit::Program program;
    ASSERT_TRUE(program.Start(kit::WindowsPath(KESTRUN_EXE),
                              kit::WindowsPath(KESTRUN_EXE) + " \"Kit Open\" \"" + log + "\""));
    kit::MessageBoxView box;
    ASSERT_TRUE(kit::WaitForMessageBox(program, box, WAIT_MS));
    EXPECT_EQ(box.text, "Remove Kit Open now?");
    EXPECT_TRUE(MoveFileA(log.c_str(), (log + ".moved").c_str()));
    ASSERT_TRUE(kit::PressButton(box.window, IDNO));
    DWORD code = 99;
    ASSERT_TRUE(program.WaitExit(WAIT_MS, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_TRUE(PathExists(log + ".moved"));
}

INSTANTIATE_TEST_SUITE_P(Kestrun, KestrunTest, ::testing::ValuesIn(CASES),
                         [](const ::testing::TestParamInfo<Case>& info) { return std::string(info.param.name); });

} // namespace
