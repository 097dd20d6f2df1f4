// `mksetup build`: the product file, the stub and the uninstaller in, a
// finished setup image out (or nothing at all).
#pragma once

#include <optional>
#include <string>

namespace kit {

struct BuildOptions {
    std::string productFile;
    std::string output;
    std::string stub;         // the setup program to take as the image
    std::string uninstaller;  // added to the archive under row 10013's name
    bool progress = true;
    unsigned jobs = 0;  // 0: one packing thread per processor
};

// Returns the process exit code; messages go to stderr.
int Build(const BuildOptions& options);

}  // namespace kit
