#include <gtest/gtest.h>

#include <io.h>

#include <cstring>

#include "File.h"
#include "TestSupport.h"

namespace {

int CodeOf(void (*operation)(File&), File& file)
{
    try {
        operation(file);
    } catch (XFile e) {
        return e.code;
    }
    return 0;
}

// Makes the next close of an open stream fail: its descriptor is gone, so
// neither the flush of the buffered byte nor the close can succeed.
void BreakStream(File& file)
{
    std::fputc('x', file.stream);
    _close(_fileno(file.stream));
}

} // namespace

class FileTest : public ::testing::Test {
protected:
    ScratchDir scratch{"file"};
    std::string PathOf(const char* name) { return scratch.dir() + name; }
};

TEST_F(FileTest, EachFailedOperationRaisesItsCode)
{
    std::string data = PathOf("data.bin");
    WriteWholeFile(data, std::string("0123456789"));

    File file;
    EXPECT_EQ(CodeOf([](File& f) { f.Open("Q:\\no\\such\\folder\\x.bin", "rb"); }, file), XFILE_OPEN);
    EXPECT_FALSE(file.IsOpen());

    file.Open(data.c_str(), "rb");
    char buffer[16];
    EXPECT_EQ(CodeOf([](File& f) { char b[16]; f.Read(b, 11); }, file), XFILE_READ);
    file.Seek(0, File::FROM_START);
    file.Read(buffer, 10);
    EXPECT_EQ(std::memcmp(buffer, "0123456789", 10), 0);
    EXPECT_EQ(CodeOf([](File& f) { f.Seek(-1, File::FROM_START); }, file), XFILE_SEEK);
    EXPECT_EQ(CodeOf([](File& f) { f.Seek(-11, File::FROM_END); }, file), XFILE_SEEK);
    file.Close();

    // Writing to a read-only stream; the C library may then also report the
    // stream's error state when it is closed.
    try {
        File readOnly;
        readOnly.Open(data.c_str(), "rb");
        EXPECT_EQ(CodeOf([](File& f) { f.Write("x", 1); }, readOnly), XFILE_WRITE);
    } catch (XFile e) {
        EXPECT_EQ(e.code, XFILE_CLOSE);
    }
}

TEST_F(FileTest, LengthKeepsThePosition)
{
    std::string data = PathOf("data.bin");
    WriteWholeFile(data, std::string(5000, 'a'));
    File file;
    file.Open(data.c_str(), "rb");
    file.Seek(-22, File::FROM_END);
    EXPECT_EQ(file.Tell(), 4978);
    EXPECT_EQ(file.Length(), 5000);
    EXPECT_EQ(file.Tell(), 4978);
}

TEST_F(FileTest, WriteAndReadBackInTextAndBinaryModes)
{
    std::string log = PathOf("log.txt");
    {
        File file;
        file.Open(log.c_str(), "w+t");
        file.Write("a\nb\n", 4);
    }
    // Text mode turns every newline into CR LF on disk.
    std::vector<unsigned char> bytes = ReadWholeFile(log);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "a\r\nb\r\n");
}

TEST_F(FileTest, OpenOnAnOpenFileClosesTheFirstStream)
{
    std::string first = PathOf("first.bin");
    std::string second = PathOf("second.bin");
    WriteWholeFile(first, std::string("1"));
    WriteWholeFile(second, std::string("2"));
    File file;
    file.Open(first.c_str(), "rb");
    EXPECT_FALSE(DeleteFileA(first.c_str())) << "an open stream keeps its file";
    file.Open(second.c_str(), "rb");
    EXPECT_TRUE(DeleteFileA(first.c_str())) << "the first stream was closed";
    file.Close();
    EXPECT_FALSE(file.IsOpen());
    file.Close(); // nothing happens on a closed File
    EXPECT_TRUE(DeleteFileA(second.c_str()));
}

TEST_F(FileTest, AFailedCloseRaisesCodeFiveAndLeavesTheFileClosed)
{
    std::string path = PathOf("broken.bin");
    File file;
    file.Open(path.c_str(), "wb");
    BreakStream(file);
    EXPECT_EQ(CodeOf([](File& f) { f.Close(); }, file), XFILE_CLOSE);
    EXPECT_FALSE(file.IsOpen());
    file.Close();
}

TEST_F(FileTest, TheDestructorReportsAFailedClose)
{
    std::string path = PathOf("broken.bin");
    int code = 0;
    try {
        File file;
        file.Open(path.c_str(), "wb");
        BreakStream(file);
    } catch (XFile e) {
        code = e.code;
    }
    EXPECT_EQ(code, XFILE_CLOSE);
}

// A close that fails while another failure unwinds must not end the program:
// the first failure is the one that arrives.
TEST_F(FileTest, AFailedCloseDuringUnwindingKeepsTheFirstFailure)
{
    std::string path = PathOf("broken.bin");
    int zipCode = 0;
    try {
        File file;
        file.Open(path.c_str(), "wb");
        BreakStream(file);
        throw XZip{XZIP_CORRUPT};
    } catch (XZip e) {
        zipCode = e.code;
    } catch (XFile) {
        zipCode = -1;
    }
    EXPECT_EQ(zipCode, XZIP_CORRUPT);

    int fileCode = 0;
    try {
        File file;
        file.Open(path.c_str(), "wb");
        BreakStream(file);
        file.Write("", 0);
        throw XFile{XFILE_WRITE};
    } catch (XFile e) {
        fileCode = e.code;
    }
    EXPECT_EQ(fileCode, XFILE_WRITE);
}
