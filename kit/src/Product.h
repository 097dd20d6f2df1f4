// The product file: every configuration row named by meaning, the payload
// folder and the optional artwork, read from TOML and checked against the
// limits of the setup program's readers.
#pragma once

#include "Diagnostics.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kit {

struct RowText {
    std::string text;  // UTF-8, as it will read back (line breaks as CR LF)
    long line = 0;     // where the product file sets it; 0 for a default
    std::string key;   // the key's name, for messages
};

struct Shortcut {
    RowText target;
    RowText name;
};

struct Product {
    std::string file;                 // the product file as named on the command line
    std::map<int, RowText> rows;      // row number -> text; rows not listed stay absent
    std::optional<Shortcut> desktop;  // rows 10020, 10021
    std::vector<Shortcut> menu;       // rows 10030 + 2k, 10031 + 2k
    std::filesystem::path payload;
    long payloadLine = 0;
    std::optional<std::filesystem::path> sidePicture;
    long sidePictureLine = 0;
    std::optional<std::filesystem::path> icon;
    long iconLine = 0;
    std::optional<std::int32_t> freeSpaceProbeOffset;
    long probeLine = 0;
};

constexpr int kMaxMenuShortcuts = 35;
constexpr int kMaxExtraEntries = 199;
constexpr int kFirstProductRow = 10000;
constexpr int kLastProductRow = 10298;

// Reads and checks the product file. Rule violations go to diags; the result
// is only meaningful when diags holds no error.
Product LoadProduct(const std::string& path, Diagnostics& diags);

// Characters the destination page refuses in a folder name.
constexpr const char* kRejectedInFolderName = "<>:\"/\\|";

}  // namespace kit
