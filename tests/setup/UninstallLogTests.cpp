#include <gtest/gtest.h>

#include <string>

#include "InstallationTestSupport.h"
#include "UninstallLog.h"

namespace {

const std::string INSTALL_DIR = "C:\\Program Files\\Vantrell\\";

} // namespace

TEST(UninstallLog, LinesReachTheDiskWithCrLf)
{
    ScratchDir scratch("log-lines");
    TestInstall run(scratch.dir() + "unstall.log");
    WriteLogLine(run.info, LOG_FILE, "C:\\Program Files\\Vantrell\\Vantrell.exe");
    WriteLogLine(run.info, LOG_FOLDER, "C:\\Program Files\\Vantrell\\");
    WriteLogLine(run.info, LOG_FILE, "C:\\100% sure\\%s.txt"); // written as is, not a format
    EXPECT_EQ(run.CloseAndRead(), DiskLines({"qvFile=C:\\Program Files\\Vantrell\\Vantrell.exe",
                                             "qvFolder=C:\\Program Files\\Vantrell\\",
                                             "qvFile=C:\\100% sure\\%s.txt"}));
}

TEST(UninstallLog, ClosedLogTakesNothing)
{
    InstallInfo info;
    WriteLogLine(info, LOG_FILE, "C:\\x.txt");
    EXPECT_FALSE(info.logFile.IsOpen());
}

TEST(UninstallLog, ExtraRowsAreExpandedUpToTheFirstEmptyRow)
{
    ConfigModule config("config_extra.dll");
    ASSERT_TRUE(config.loaded());
    ScratchDir scratch("log-extra");
    TestInstall run(scratch.dir() + "unstall.log");
    const std::string win = WindowsDir();
    ASSERT_GE(win.size(), 10u) << "row 10105 is sized for a Windows directory of at least 9 characters";

    LogExtraEntries(INSTALL_DIR.c_str());

    EXPECT_EQ(run.CloseAndRead(),
              DiskLines({
                  "qvFile=" + win + "Vantrell.ini",
                  "qvFolder=" + INSTALL_DIR + "Cache\\",
                  "qvFile=" + INSTALL_DIR + "a.txt|" + INSTALL_DIR + "b.txt",
                  "qvFile=" + INSTALL_DIR + "both\\" + win + "win.ini",
                  // 10104 and 10105 expand to 260 characters and more: no line
                  "qvFile=" + INSTALL_DIR + std::string(229, 'z') + ".txt", // exactly 259
                  "qvFile=C:\\Absolute\\plain.txt",
                  "qvFile=%progdir%lower.txt",
                  "qvFolder=" + INSTALL_DIR,
                  // 10110 is empty: 10111 is not read
              }));
}

TEST(UninstallLog, ProgDirIsExpandedBeforeWinDir)
{
    // An install directory whose name holds the other macro shows the order:
    // the text put in for %ProgDir% is searched again for %WinDir%.
    ConfigModule config("config_extra.dll");
    ScratchDir scratch("log-order");
    TestInstall run(scratch.dir() + "unstall.log");
    LogExtraEntries("D:\\%WinDir%\\");
    std::string text = run.CloseAndRead();
    EXPECT_NE(text.find("qvFolder=D:\\" + WindowsDir() + "\\Cache\\\r\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("qvFolder=D:\\%WinDir%"), std::string::npos) << text;
}

TEST(UninstallLog, NoFirstExtraRowMeansNoExtraLines)
{
    ConfigModule config("config_gap.dll");
    ASSERT_TRUE(config.loaded());
    ScratchDir scratch("log-gap");
    TestInstall run(scratch.dir() + "unstall.log");
    LogExtraEntries(INSTALL_DIR.c_str());
    EXPECT_EQ(run.CloseAndRead(), "") << "row 10101 is set, but row 10100 is empty";
}
