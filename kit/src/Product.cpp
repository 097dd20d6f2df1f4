#include "Product.h"

#include "Text.h"

#include <toml++/toml.h>

#include <cstring>

namespace kit {

namespace fs = std::filesystem;

namespace {

enum class Kind {
    Text,        // one line of text
    Multiline,   // line breaks allowed, stored as CR LF
    FolderName,  // the product name: also the default program folder name
    Title,       // sits between double quotes and names a registry key
    FileName,    // a bare file name in the install and Windows directories
    RelPath,     // a path relative to the install directory
    LinkName,    // the name of a shortcut file
    Command,     // a program relative to the install directory, then arguments
};

struct KeyRule {
    const char* table;
    const char* key;
    int row;
    int limit;  // the reader's buffer, terminator included
    Kind kind;
    bool required;
    const char* fallback;  // used when the key is absent; null: the row stays absent
};

// Every single-valued row, by the name the product file gives it.
const KeyRule kKeys[] = {
    {"wizard", "welcome_title", 10000, 255, Kind::Text, false, "Install"},
    {"wizard", "destination_title", 10001, 255, Kind::Text, false, "Destination Folder"},
    {"wizard", "options_title", 10002, 255, Kind::Text, false, "Desktop Shortcut and Menu Options"},
    {"wizard", "caption", 10003, 255, Kind::Text, false, "Finish Installation"},
    {"product", "name", 10010, 60, Kind::FolderName, true, nullptr},
    {"product", "title", 10011, 60, Kind::Title, true, nullptr},
    {"product", "start", 10012, 60, Kind::Command, false, nullptr},
    {"product", "uninstaller", 10013, 60, Kind::FileName, false, "kestrun.exe"},
    {"product", "log", 10014, 60, Kind::FileName, true, nullptr},
    {"product", "description", 10015, 255, Kind::Multiline, false, nullptr},
};

const char* kTables[] = {"product", "wizard", "desktop_shortcut", "start_menu", "uninstall", "files", "setup"};

long LineOf(const toml::node& node)
{
    return static_cast<long>(node.source().begin.line);
}

struct Reader {
    std::string file;
    Diagnostics& diags;

    void Error(long line, const std::string& text) { diags.Error(file, line, text); }
    void Warning(long line, const std::string& text) { diags.Warning(file, line, text); }

    // Checks one text against its row's reader and kind; returns it as stored.
    std::string CheckText(const std::string& where, const std::string& value, long line, int limit, Kind kind)
    {
        std::string text = value;
        if (kind == Kind::Multiline) {
            std::string crlf;
            for (std::size_t i = 0; i < text.size(); ++i) {
                if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                    continue;
                if (text[i] == '\n')
                    crlf += '\r';
                crlf += text[i];
            }
            text = crlf;
        }
        std::string bad = FirstUnencodable(text);
        if (!bad.empty()) {
            Error(line, where + ": the character '" + bad +
                            "' has no place in the ANSI code page 1252 that the setup program reads its texts in");
            return text;
        }
        for (char c : text) {
            unsigned char u = static_cast<unsigned char>(c);
            bool lineBreak = kind == Kind::Multiline && (c == '\r' || c == '\n');
            if ((u < 0x20 || u == 0x7F) && !lineBreak) {
                Error(line, where + ": control characters (tabs, line breaks) are not allowed here");
                return text;
            }
        }
        std::size_t length = Utf8ToCp1252(text)->size();
        if (length > static_cast<std::size_t>(limit - 1))
            Error(line, where + ": " + std::to_string(length) + " characters; the setup program reads at most " +
                            std::to_string(limit - 1) + " here");
        switch (kind) {
        case Kind::FolderName:
            for (char c : text)
                if (std::strchr(kRejectedInFolderName, c)) {
                    Error(line, where + ": the character '" + std::string(1, c) +
                                    "' is rejected in a folder name by the destination page (< > : \" / \\ |)");
                    break;
                }
            if (text.find_first_of("?*") != std::string::npos)
                Error(line, where + ": '?' and '*' cannot be part of a Windows folder name");
            if (!text.empty() && (text.back() == ' ' || text.back() == '.'))
                Error(line, where + ": a Windows folder name cannot end with a blank or a dot");
            break;
        case Kind::Title:
            if (text.find('"') != std::string::npos)
                Error(line, where + ": a title with a double quote cannot be carried: the uninstaller finds the "
                                    "title between the first two double quotes of its command line");
            if (text.find('\\') != std::string::npos)
                Error(line, where + ": a backslash would split the title's uninstall registry key in two");
            break;
        case Kind::FileName:
        case Kind::LinkName:
            if (text.find_first_of("<>:\"/\\|?*") != std::string::npos)
                Error(line, where + ": a file name cannot contain any of < > : \" / \\ | ? *");
            else if (!text.empty() && (text.back() == ' ' || text.back() == '.'))
                Error(line, where + ": a Windows file name cannot end with a blank or a dot");
            break;
        case Kind::RelPath:
            if (text.find_first_of("<>:\"|?*") != std::string::npos)
                Error(line, where + ": a path relative to the install directory cannot contain any of < > : \" | ? *");
            else if (!text.empty() && (text[0] == '\\' || text[0] == '/'))
                Error(line, where + ": the path must be relative to the install directory");
            break;
        default:
            break;
        }
        return text;
    }

    std::optional<std::string> String(const toml::table& table, const std::string& tableName, const char* key,
                                      long& line)
    {
        const toml::node* node = table.get(key);
        if (!node)
            return std::nullopt;
        line = LineOf(*node);
        if (!node->is_string()) {
            Error(line, "[" + tableName + "] " + key + ": expected a text in double quotes");
            return std::nullopt;
        }
        return node->value<std::string>();
    }

    void RejectUnknownKeys(const toml::table& table, const std::string& tableName,
                           std::initializer_list<const char*> known)
    {
        for (const auto& [k, v] : table) {
            bool ok = false;
            for (const char* name : known)
                ok = ok || k.str() == name;
            if (!ok)
                Error(LineOf(v), "[" + tableName + "]: unknown key '" + std::string(k.str()) + "'");
        }
    }

    const toml::table* Table(const toml::table& root, const char* name)
    {
        const toml::node* node = root.get(name);
        if (!node)
            return nullptr;
        if (!node->is_table()) {
            Error(LineOf(*node), std::string("'") + name + "' must be a table ([" + name + "])");
            return nullptr;
        }
        return node->as_table();
    }

    std::optional<Shortcut> ReadShortcut(const toml::table& table, const std::string& where, long tableLine)
    {
        RejectUnknownKeys(table, where, {"target", "name"});
        Shortcut s;
        long tl = tableLine, nl = tableLine;
        auto target = String(table, where, "target", tl);
        auto name = String(table, where, "name", nl);
        if (!target || target->empty()) {
            Error(tl, where + ": a shortcut needs a target (a file relative to the install directory)");
            return std::nullopt;
        }
        if (!name || name->empty()) {
            Error(nl, where + ": a shortcut needs a name");
            return std::nullopt;
        }
        s.target = {CheckText(where + " target", *target, tl, 60, Kind::RelPath), tl, "target"};
        s.name = {CheckText(where + " name", *name, nl, 60, Kind::LinkName), nl, "name"};
        return s;
    }

    std::optional<fs::path> PathKey(const toml::table& table, const std::string& tableName, const char* key,
                                    long& line, const fs::path& base)
    {
        auto value = String(table, tableName, key, line);
        if (!value)
            return std::nullopt;
        if (value->empty()) {
            Error(line, "[" + tableName + "] " + key + ": empty path");
            return std::nullopt;
        }
        fs::path p = fs::u8path(*value);
        return p.is_absolute() ? p : base / p;
    }
};

}  // namespace

Product LoadProduct(const std::string& path, Diagnostics& diags)
{
    Product product;
    product.file = path;
    Reader reader{path, diags};

    toml::table root;
    std::error_code ec;
    if (!fs::is_regular_file(fs::u8path(path), ec)) {
        diags.Error(path, 0, "cannot read the product file");
        return product;
    }
    try {
        root = toml::parse_file(path);
    } catch (const toml::parse_error& e) {
        long line = static_cast<long>(e.source().begin.line);
        diags.Error(path, line, std::string("not valid TOML: ") + std::string(e.description()));
        return product;
    }

    fs::path base = fs::u8path(path).parent_path();
    if (base.empty())
        base = ".";

    for (const auto& [k, v] : root) {
        bool known = false;
        for (const char* t : kTables)
            known = known || k.str() == t;
        if (!known)
            reader.Error(LineOf(v), "unknown table or key '" + std::string(k.str()) + "'");
    }

    const toml::table* productTable = reader.Table(root, "product");
    const toml::table* wizardTable = reader.Table(root, "wizard");
    if (!productTable)
        diags.Error(path, 1, "missing table [product] (name, title and log are required)");
    if (productTable)
        reader.RejectUnknownKeys(*productTable, "product", {"name", "title", "start", "uninstaller", "log", "description"});
    if (wizardTable)
        reader.RejectUnknownKeys(*wizardTable, "wizard",
                                 {"welcome_title", "destination_title", "options_title", "caption"});

    for (const KeyRule& rule : kKeys) {
        const toml::table* table = std::strcmp(rule.table, "product") == 0 ? productTable : wizardTable;
        std::string where = std::string("[") + rule.table + "] " + rule.key;
        long line = table ? LineOf(*table) : 1;
        std::optional<std::string> value = table ? reader.String(*table, rule.table, rule.key, line) : std::nullopt;
        if (!value) {
            bool present = table && table->get(rule.key);
            if (rule.required && productTable && !present)
                reader.Error(line, where + " is required (row " + std::to_string(rule.row) + ")");
            else if (!present && rule.fallback)
                product.rows[rule.row] = {rule.fallback, 0, rule.key};
            continue;
        }
        if (value->empty()) {
            if (rule.required)
                reader.Error(line, where + " must not be empty (row " + std::to_string(rule.row) + ")");
            continue;  // an explicit empty text leaves the row absent
        }
        product.rows[rule.row] = {reader.CheckText(where, *value, line, rule.limit, rule.kind), line, rule.key};
    }

    if (const toml::table* desk = reader.Table(root, "desktop_shortcut")) {
        if (auto s = reader.ReadShortcut(*desk, "[desktop_shortcut]", LineOf(*desk))) {
            product.desktop = s;
            product.rows[10020] = s->target;
            product.rows[10021] = s->name;
        }
    }

    if (const toml::node* menu = root.get("start_menu")) {
        const toml::array* items = menu->as_array();
        if (!items || !items->is_array_of_tables()) {
            reader.Error(LineOf(*menu), "start_menu must be a list of [[start_menu]] tables");
        } else {
            if (items->size() > static_cast<std::size_t>(kMaxMenuShortcuts))
                reader.Error(LineOf(*items->get(kMaxMenuShortcuts)),
                             "[[start_menu]]: " + std::to_string(items->size()) +
                                 " shortcuts; the setup program reads at most 35 (rows 10030 to 10099)");
            int k = 0;
            for (const toml::node& item : *items) {
                if (k >= kMaxMenuShortcuts)
                    break;
                auto s = reader.ReadShortcut(*item.as_table(), "[[start_menu]] #" + std::to_string(k + 1),
                                             LineOf(item));
                if (s) {
                    product.menu.push_back(*s);
                    product.rows[10030 + 2 * k] = s->target;
                    product.rows[10031 + 2 * k] = s->name;
                }
                ++k;
            }
        }
    }

    if (const toml::table* uninstall = reader.Table(root, "uninstall")) {
        reader.RejectUnknownKeys(*uninstall, "uninstall", {"extra"});
        if (const toml::node* extra = uninstall->get("extra")) {
            const toml::array* list = extra->as_array();
            if (!list) {
                reader.Error(LineOf(*extra), "[uninstall] extra: expected a list of texts");
            } else {
                if (list->size() > static_cast<std::size_t>(kMaxExtraEntries))
                    reader.Error(LineOf(*list->get(kMaxExtraEntries)),
                                 "[uninstall] extra: " + std::to_string(list->size()) +
                                     " entries; the setup program reads at most 199 (rows 10100 to 10298)");
                int k = 0;
                for (const toml::node& item : *list) {
                    if (k >= kMaxExtraEntries)
                        break;
                    long line = LineOf(item);
                    std::string where = "[uninstall] extra #" + std::to_string(k + 1);
                    if (!item.is_string()) {
                        reader.Error(line, where + ": expected a text in double quotes");
                    } else if (item.value<std::string>()->empty()) {
                        reader.Error(line, where + ": an empty entry would end the list early");
                    } else {
                        product.rows[10100 + k] = {
                            reader.CheckText(where, *item.value<std::string>(), line, 260, Kind::Text), line, "extra"};
                    }
                    ++k;
                }
            }
        }
    }

    const toml::table* files = reader.Table(root, "files");
    if (!files) {
        diags.Error(path, 1, "missing table [files] with the payload folder");
    } else {
        reader.RejectUnknownKeys(*files, "files", {"payload", "side_picture", "icon"});
        long line = LineOf(*files);
        if (auto p = reader.PathKey(*files, "files", "payload", line, base)) {
            product.payload = *p;
            product.payloadLine = line;
        } else if (!files->get("payload")) {
            reader.Error(line, "[files] payload is required: the folder whose files the setup installs");
        }
        if (auto p = reader.PathKey(*files, "files", "side_picture", product.sidePictureLine, base))
            product.sidePicture = p;
        if (auto p = reader.PathKey(*files, "files", "icon", product.iconLine, base))
            product.icon = p;
    }

    if (const toml::table* setup = reader.Table(root, "setup")) {
        reader.RejectUnknownKeys(*setup, "setup", {"free_space_probe_offset"});
        if (const toml::node* n = setup->get("free_space_probe_offset")) {
            product.probeLine = LineOf(*n);
            auto v = n->value<std::int64_t>();
            if (!n->is_integer() || !v || *v < 0 || *v > 0x7FFFFFFE)
                reader.Error(product.probeLine,
                             "[setup] free_space_probe_offset: expected a whole number from 0 to 2147483646");
            else
                product.freeSpaceProbeOffset = static_cast<std::int32_t>(*v);
        }
    }
    return product;
}

}  // namespace kit
