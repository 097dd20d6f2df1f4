// Small helpers shared by the Windows test programs.
#pragma once

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

// Folder of the fixtures written by independent tools before the tests run.
inline std::string FixturePath(const std::string& name)
{
    const char* dir = std::getenv("KIT_FIXTURES");
    return std::string(dir ? dir : ".") + "\\" + name;
}

inline std::vector<unsigned char> ReadWholeFile(const std::string& path)
{
    std::vector<unsigned char> bytes;
    if (std::FILE* f = std::fopen(path.c_str(), "rb")) {
        unsigned char block[65536];
        std::size_t n;
        while ((n = std::fread(block, 1, sizeof block, f)) > 0)
            bytes.insert(bytes.end(), block, block + n);
        std::fclose(f);
    }
    return bytes;
}

inline void WriteWholeFile(const std::string& path, const std::vector<unsigned char>& bytes)
{
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        if (!bytes.empty())
            std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

inline void WriteWholeFile(const std::string& path, const std::string& text)
{
    WriteWholeFile(path, std::vector<unsigned char>(text.begin(), text.end()));
}

inline bool PathExists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Deletes a folder and everything below it (read-only files included).
inline void RemoveTree(const std::string& dir)
{
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            std::string path = dir + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(h, &found));
        FindClose(h);
    }
    RemoveDirectoryA(dir.c_str());
}

// A fresh, empty folder for one test; removed again when the test ends.
class ScratchDir {
public:
    explicit ScratchDir(const std::string& tag)
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        path_ = std::string(temp) + "kit-" + tag + "-" + std::to_string(GetCurrentProcessId());
        RemoveTree(path_);
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchDir() { RemoveTree(path_); }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }
    // The folder with a trailing backslash, as directory paths are written here.
    std::string dir() const { return path_ + "\\"; }

private:
    std::string path_;
};
