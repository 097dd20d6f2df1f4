// Helpers of the archive reader's tests: a hook recorder, the fixture
// manifests, folder listings and the outcome of a run.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "ZipArchive.h"

// Records every hook call as a word: "T<percent>", "F<percent>", and
// "S <target>" with the target relative to the install directory.
class RecordingArchive : public ZipArchive {
public:
    RecordingArchive(const char* path, std::string installDir) : ZipArchive(path), installDir_(std::move(installDir)) {}

    void OnFileProgress(std::int32_t percent) override { events.push_back("F" + std::to_string(percent)); }
    void OnTotalProgress(std::int32_t percent) override { events.push_back("T" + std::to_string(percent)); }
    void OnFileStart(const char* targetPath) override
    {
        std::string target = targetPath;
        if (target.compare(0, installDir_.size(), installDir_) == 0)
            target = target.substr(installDir_.size());
        events.push_back("S " + target);
    }

    // Extracts into the install directory given at construction.
    void Extract() { ExtractAll(installDir_.c_str()); }

    std::string Trace() const
    {
        std::string out;
        for (const std::string& e : events)
            out += (out.empty() ? "" : " | ") + e;
        return out;
    }

    std::vector<std::string> events;

private:
    std::string installDir_;
};

// The failure a run ended with: kind 'F' (XFile), 'Z' (XZip) or '-' (none).
struct Outcome {
    char kind;
    int code;
    bool operator==(const Outcome& o) const { return kind == o.kind && code == o.code; }
};

inline std::ostream& operator<<(std::ostream& os, const Outcome& o)
{
    if (o.kind == '-')
        return os << "no failure";
    return os << (o.kind == 'F' ? "XFile " : "XZip ") << o.code;
}

template <class Body> Outcome RunCaught(Body body)
{
    try {
        body();
        return {'-', 0};
    } catch (XFile e) {
        return {'F', e.code};
    } catch (XZip e) {
        return {'Z', e.code};
    }
}

struct ManifestEntry {
    bool folder;
    std::uint16_t dosDate;
    std::uint16_t dosTime;
    std::string name; // as in the archive, with '/'
};

// "kind dosdate dostime name" per line, as Python's zipfile read the archive.
inline std::vector<ManifestEntry> ReadManifest(const std::string& fixture)
{
    std::vector<ManifestEntry> entries;
    std::ifstream in(FixturePath(fixture));
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string kind;
        unsigned date = 0, time = 0;
        ManifestEntry e{};
        if (!(fields >> kind >> date >> time))
            continue;
        std::getline(fields >> std::ws, e.name);
        e.folder = kind == "D";
        e.dosDate = static_cast<std::uint16_t>(date);
        e.dosTime = static_cast<std::uint16_t>(time);
        entries.push_back(e);
    }
    return entries;
}

inline std::string WindowsPath(std::string name)
{
    std::replace(name.begin(), name.end(), '/', '\\');
    return name;
}

// The MS-DOS time taken as local time, in UTC.
inline ULONGLONG ExpectedFileTime(std::uint16_t dosDate, std::uint16_t dosTime)
{
    FILETIME local{}, universal{};
    DosDateTimeToFileTime(dosDate, dosTime, &local);
    LocalFileTimeToFileTime(&local, &universal);
    return (ULONGLONG{universal.dwHighDateTime} << 32) | universal.dwLowDateTime;
}

inline ULONGLONG LastWriteTime(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (ULONGLONG{data.ftLastWriteTime.dwHighDateTime} << 32) | data.ftLastWriteTime.dwLowDateTime;
}

// Everything below dir, sorted: folders as "name\", files as "name=size".
inline void ListTree(const std::string& dir, const std::string& relative, std::vector<std::string>& out)
{
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string name = found.cFileName;
        if (name == "." || name == "..")
            continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out.push_back(relative + name + "\\");
            ListTree(dir + "\\" + name, relative + name + "\\", out);
        } else {
            out.push_back(relative + name + "=" + std::to_string(found.nFileSizeLow));
        }
    } while (FindNextFileA(h, &found));
    FindClose(h);
}

inline std::string Listing(const std::string& dir)
{
    std::vector<std::string> items;
    ListTree(dir, "", items);
    std::sort(items.begin(), items.end());
    std::string out;
    for (const std::string& item : items)
        out += (out.empty() ? "" : " ") + item;
    return out;
}

// True when text matches pattern, where "*" in the pattern stands for any
// run of characters.
inline bool Matches(const std::string& pattern, const std::string& text)
{
    std::size_t star = pattern.find('*');
    if (star == std::string::npos)
        return pattern == text;
    if (text.compare(0, star, pattern, 0, star) != 0)
        return false;
    std::string rest = pattern.substr(star + 1);
    for (std::size_t i = star; i <= text.size(); ++i) {
        if (Matches(rest, text.substr(i)))
            return true;
    }
    return false;
}
