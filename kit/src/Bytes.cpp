#include "Bytes.h"

#include "Diagnostics.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace kit {

Bytes ReadFileBytes(const std::string& path)
{
    std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
    if (!in)
        throw KitError("cannot open " + path);
    Bytes b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad())
        throw KitError("cannot read " + path);
    return b;
}

}  // namespace kit
