// The product's files: the payload folder walked in a fixed order, every name
// checked for what the setup program and Windows can create.
#pragma once

#include "Diagnostics.h"
#include "Product.h"

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace kit {

struct PayloadFile {
    std::filesystem::path source;
    std::string name;      // archive name: code page 1252 bytes, '/' between folders
    std::string nameUtf8;  // the same for messages
    std::uint64_t size = 0;
    std::time_t mtime = 0;
};

// Walks the payload folder (sorted by name), adding errors for symlinks,
// special or unreadable files and names Windows cannot carry, and warnings
// for empty folders and paths that may grow too long once installed.
std::vector<PayloadFile> CollectPayload(const Product& product, Diagnostics& diags);

// One more file (the uninstaller) under a given archive name.
PayloadFile ExtraFile(const std::filesystem::path& source, const std::string& name);

// Checks rows that name files of the payload (shortcut targets, start command).
void CheckPayloadReferences(const Product& product, const std::vector<PayloadFile>& files, Diagnostics& diags);

// The longest archive name that fits a 260-byte path under "C:\Program Files\<name>\".
std::size_t TypicalNameRoom(const std::string& productName);

}  // namespace kit
