// Messages about the product and its files, each pointing at a file and line.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

namespace kit {

struct Diagnostic {
    bool error = true;
    std::string file;
    long line = 0;  // 0 when the message is about the file as a whole
    std::string text;
};

struct Diagnostics {
    std::vector<Diagnostic> items;

    void Error(const std::string& file, long line, const std::string& text) { items.push_back({true, file, line, text}); }
    void Warning(const std::string& file, long line, const std::string& text) { items.push_back({false, file, line, text}); }
    bool HasErrors() const
    {
        for (const auto& d : items)
            if (d.error)
                return true;
        return false;
    }
};

std::string Format(const Diagnostic& d);

// A fault that ends the command: a bad stub, an unreadable file, a full disk.
struct KitError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

}  // namespace kit
