#include "Payload.h"

#include "Platform.h"
#include "Text.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <map>

namespace kit {

namespace fs = std::filesystem;

namespace {

bool IsReservedDeviceName(const std::string& component)
{
    std::string stem = LowerAscii(component.substr(0, component.find('.')));
    while (!stem.empty() && stem.back() == ' ')
        stem.pop_back();
    static const char* kNames[] = {"con", "prn", "aux", "nul"};
    for (const char* n : kNames)
        if (stem == n)
            return true;
    return stem.size() == 4 && (stem.compare(0, 3, "com") == 0 || stem.compare(0, 3, "lpt") == 0) &&
           stem[3] >= '1' && stem[3] <= '9';
}

// Why Windows cannot create a file or folder of this name, or empty.
std::string ComponentProblem(const std::string& component)
{
    for (char c : component) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20)
            return "contains a control character";
        if (std::strchr("<>:\"\\|?*", c))
            return std::string("contains '") + c + "', which Windows does not allow in a file name";
    }
    if (component.back() == ' ' || component.back() == '.')
        return "ends with a blank or a dot, which Windows drops";
    if (IsReservedDeviceName(component))
        return "is a reserved device name on Windows";
    return {};
}

bool Readable(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    char c;
    return in.good() && (in.read(&c, 1) || in.eof());
}

}  // namespace

std::size_t TypicalNameRoom(const std::string& productName)
{
    std::size_t dir = std::strlen("C:\\Program Files\\") + productName.size() + 1;
    return dir >= 259 ? 0 : 259 - dir;
}

PayloadFile ExtraFile(const fs::path& source, const std::string& name)
{
    PayloadFile f;
    f.source = source;
    f.nameUtf8 = name;
    f.name = Utf8ToCp1252(name).value_or(name);
    f.size = fs::file_size(source);
    f.mtime = ModificationTime(source);
    return f;
}

std::vector<PayloadFile> CollectPayload(const Product& product, Diagnostics& diags)
{
    std::vector<PayloadFile> files;
    const std::string& pf = product.file;
    long line = product.payloadLine;
    std::error_code ec;
    if (!fs::is_directory(product.payload, ec)) {
        diags.Error(pf, line, "payload folder '" + product.payload.string() + "' does not exist or is not a folder");
        return files;
    }
    auto productName = product.rows.count(10010) ? Utf8ToCp1252(product.rows.at(10010).text).value_or("") : "";
    std::size_t room = TypicalNameRoom(productName);
    std::vector<std::string> tooLong;

    fs::recursive_directory_iterator it(product.payload, fs::directory_options::none, ec), end;
    if (ec) {
        diags.Error(pf, line, "cannot read payload folder '" + product.payload.string() + "': " + ec.message());
        return files;
    }
    for (; it != end; it.increment(ec)) {
        if (ec) {
            diags.Error(pf, line, "cannot read in the payload: " + ec.message());
            break;
        }
        const fs::path& p = it->path();
        std::string rel = p.lexically_relative(product.payload).generic_u8string();
        std::string where = "payload file '" + rel + "'";
        fs::file_status st = it->symlink_status(ec);
        if (fs::is_symlink(st)) {
            diags.Error(pf, line, where + " is a symbolic link; copy the file it points to instead");
            continue;
        }
        std::string component = p.filename().u8string();
        std::string problem = ComponentProblem(component);
        if (problem.empty() && !Utf8ToCp1252(component))
            problem = "has the character '" + FirstUnencodable(component) +
                      "', which the ANSI code page 1252 of the setup program cannot carry";
        if (!problem.empty()) {
            diags.Error(pf, line, where + ": the name " + problem);
            if (fs::is_directory(st))
                it.disable_recursion_pending();
            continue;
        }
        if (fs::is_directory(st)) {
            if (fs::is_empty(p, ec))
                diags.Warning(pf, line, "payload folder '" + rel +
                                            "' is empty and is left out: the setup program creates folders only "
                                            "for the files in them");
            continue;
        }
        if (!fs::is_regular_file(st)) {
            diags.Error(pf, line, where + " is not a regular file (a device, pipe or socket)");
            continue;
        }
        if (!Readable(p)) {
            diags.Error(pf, line, where + " cannot be read");
            continue;
        }
        PayloadFile f;
        f.source = p;
        f.nameUtf8 = rel;
        f.name = *Utf8ToCp1252(rel);
        f.size = fs::file_size(p, ec);
        f.mtime = ModificationTime(p);
        if (f.size > 0xFFFFFFFEull) {
            diags.Error(pf, line, where + " is 4 GiB or larger; the archive format has 32-bit sizes (no ZIP64)");
            continue;
        }
        if (f.name.size() > 259)
            diags.Error(pf, line, where + ": the name is " + std::to_string(f.name.size()) +
                                      " characters; the setup program takes at most 259");
        else if (f.name.size() > room)
            tooLong.push_back(rel);
        files.push_back(std::move(f));
    }
    std::sort(files.begin(), files.end(),
              [](const PayloadFile& a, const PayloadFile& b) { return a.nameUtf8 < b.nameUtf8; });

    std::map<std::string, std::string> folded;
    for (const PayloadFile& f : files) {
        auto [at, fresh] = folded.emplace(FoldCaseCp1252(f.name), f.nameUtf8);
        if (!fresh)
            diags.Error(pf, line, "payload files '" + at->second + "' and '" + f.nameUtf8 +
                                      "' differ only in letter case: one would overwrite the other on Windows");
    }
    if (!tooLong.empty()) {
        std::string list;
        for (std::size_t i = 0; i < tooLong.size() && i < 20; ++i)
            list += (i ? ", " : "") + tooLong[i];
        if (tooLong.size() > 20)
            list += " and " + std::to_string(tooLong.size() - 20) + " more";
        diags.Warning(pf, line, std::to_string(tooLong.size()) +
                                    " payload path(s) exceed 259 characters when installed under \"C:\\Program Files\\" +
                                    Cp1252ToUtf8(productName) + "\\\": " + list);
    }
    return files;
}

void CheckPayloadReferences(const Product& product, const std::vector<PayloadFile>& files, Diagnostics& diags)
{
    std::map<std::string, bool> present;
    for (const PayloadFile& f : files)
        present[FoldCaseCp1252(f.name)] = true;
    auto inPayload = [&](std::string path) {
        std::replace(path.begin(), path.end(), '\\', '/');
        auto bytes = Utf8ToCp1252(path);
        return bytes && present.count(FoldCaseCp1252(*bytes));
    };
    auto check = [&](const RowText& target, const std::string& what) {
        if (!target.text.empty() && !inPayload(target.text))
            diags.Warning(product.file, target.line,
                          what + " target '" + target.text + "' is not a file of the payload");
    };
    if (product.desktop)
        check(product.desktop->target, "desktop shortcut");
    for (std::size_t k = 0; k < product.menu.size(); ++k)
        check(product.menu[k].target, "Start-menu shortcut #" + std::to_string(k + 1));
    auto start = product.rows.find(10012);
    if (start != product.rows.end()) {
        const std::string& cmd = start->second.text;
        std::string program;
        if (!cmd.empty() && cmd[0] == '"') {
            program = cmd.substr(1, cmd.find('"', 1) - 1);
        } else {
            program = cmd.substr(0, cmd.find(' '));
        }
        if (!inPayload(program))
            diags.Warning(product.file, start->second.line,
                          "start command program '" + program + "' is not a file of the payload");
    }
}

}  // namespace kit
