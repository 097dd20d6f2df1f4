// Helpers of the installation tests: configuration string tables in
// resource-only modules, and a state record with its log opened as the
// install procedure opens it.
#pragma once

#include <windows.h>

#include <cstring>
#include <initializer_list>
#include <string>

#include "InstallInfo.h"
#include "TestSupport.h"

// A file built beside the test program (the resource-only modules).
inline std::string BesideTestProgram(const std::string& name)
{
    char path[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path, n);
    return dir.substr(0, dir.find_last_of('\\') + 1) + name;
}

// Points ModuleInstance at a module's string table for the lifetime of the
// object, so LoadConfigString reads that configuration.
class ConfigModule {
public:
    explicit ConfigModule(const std::string& name)
        : module_(LoadLibraryExA(BesideTestProgram(name).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)),
          saved_(ModuleInstance)
    {
        ModuleInstance = module_;
    }
    ~ConfigModule()
    {
        ModuleInstance = saved_;
        if (module_ != nullptr)
            FreeLibrary(module_);
    }
    ConfigModule(const ConfigModule&) = delete;
    ConfigModule& operator=(const ConfigModule&) = delete;

    bool loaded() const { return module_ != nullptr; }

private:
    HMODULE module_;
    HINSTANCE saved_;
};

// The record of one test, published as CurrentInstall, its log opened "w+t".
class TestInstall {
public:
    explicit TestInstall(const std::string& logPath) : logPath_(logPath), saved_(CurrentInstall)
    {
        CurrentInstall = &info;
        info.logFile.Open(logPath.c_str(), "w+t");
    }
    ~TestInstall()
    {
        CurrentInstall = saved_;
        if (info.logFile.stream != nullptr) {
            std::fclose(info.logFile.stream);
            info.logFile.stream = nullptr;
        }
        DeleteFileA(logPath_.c_str());
    }
    TestInstall(const TestInstall&) = delete;
    TestInstall& operator=(const TestInstall&) = delete;

    // Closes the log and returns its bytes as they are on disk.
    std::string CloseAndRead()
    {
        info.logFile.Close();
        std::vector<unsigned char> bytes = ReadWholeFile(logPath_);
        return std::string(bytes.begin(), bytes.end());
    }

    InstallInfo info;

private:
    std::string logPath_;
    InstallInfo* saved_;
};

// Lines as they reach the disk: each ended by CR LF.
inline std::string DiskLines(std::initializer_list<std::string> lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\r\n";
    return text;
}

inline std::string WindowsDir()
{
    char dir[MAX_PATH];
    GetWindowsDirectoryA(dir, MAX_PATH);
    return std::string(dir) + "\\";
}
