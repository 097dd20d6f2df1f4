#include "Diagnostics.h"

namespace kit {

std::string Format(const Diagnostic& d)
{
    std::string out = d.file;
    if (d.line > 0)
        out += ":" + std::to_string(d.line);
    out += d.error ? ": error: " : ": warning: ";
    out += d.text;
    return out;
}

}  // namespace kit
