// mksetup: turns a product file and a folder of files into a setup image.
#include "Builder.h"
#include "Platform.h"
#include "Verify.h"

#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#ifndef KIT_DEFAULT_STUB
#define KIT_DEFAULT_STUB ""
#endif
#ifndef KIT_DEFAULT_UNINSTALLER
#define KIT_DEFAULT_UNINSTALLER ""
#endif

namespace fs = std::filesystem;

namespace {

const char kUsage[] =
    "usage:\n"
    "  mksetup build PRODUCT.toml -o OUTPUT.exe [--stub install.exe] [--uninstaller kestrun.exe]\n"
    "                [--jobs N] [--quiet]\n"
    "  mksetup verify IMAGE.exe\n"
    "  mksetup list IMAGE.exe\n"
    "\n"
    "The stub and the uninstaller are taken from the options, else from the folder\n"
    "of mksetup itself, else from the build tree mksetup was built with.\n";

std::string FindBeside(const std::string& given, const char* name, const char* builtIn)
{
    if (!given.empty())
        return given;
    fs::path dir = kit::SelfDirectory();
    std::error_code ec;
    if (!dir.empty() && fs::is_regular_file(dir / name, ec))
        return (dir / name).string();
    return builtIn;
}

int Usage()
{
    std::cerr << kUsage;
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty() || args[0] == "-h" || args[0] == "--help") {
        std::cout << kUsage;
        return args.empty() ? 2 : 0;
    }
    const std::string command = args[0];
    if (command == "verify" || command == "list") {
        if (args.size() != 2)
            return Usage();
        return kit::Verify(args[1], command == "verify", std::cout);
    }
    if (command != "build")
        return Usage();

    kit::BuildOptions options;
    std::string stub, uninstaller;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::string& into) {
            if (i + 1 >= args.size())
                return false;
            into = args[++i];
            return true;
        };
        if (a == "-o" || a == "--output") {
            if (!value(options.output))
                return Usage();
        } else if (a == "--stub") {
            if (!value(stub))
                return Usage();
        } else if (a == "--uninstaller") {
            if (!value(uninstaller))
                return Usage();
        } else if (a == "--jobs" || a == "-j") {
            std::string n;
            if (!value(n) || n.find_first_not_of("0123456789") != std::string::npos || n.empty() || n.size() > 3)
                return Usage();
            options.jobs = static_cast<unsigned>(std::stoul(n));
        } else if (a == "--quiet" || a == "-q") {
            options.progress = false;
        } else if (!a.empty() && a[0] == '-') {
            std::cerr << "mksetup: unknown option " << a << "\n";
            return Usage();
        } else if (options.productFile.empty()) {
            options.productFile = a;
        } else {
            return Usage();
        }
    }
    if (options.productFile.empty() || options.output.empty())
        return Usage();
    options.stub = FindBeside(stub, "install.exe", KIT_DEFAULT_STUB);
    options.uninstaller = FindBeside(uninstaller, "kestrun.exe", KIT_DEFAULT_UNINSTALLER);
    if (options.stub.empty() || !fs::is_regular_file(options.stub)) {
        std::cerr << "mksetup: error: setup program stub not found" << (options.stub.empty() ? "" : " at " + options.stub)
                  << " (give it with --stub)\n";
        return 1;
    }
    return kit::Build(options);
}
