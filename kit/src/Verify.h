// `mksetup verify` and `mksetup list`: read a setup image the way the setup
// program will, and report every fault.
#pragma once

#include <ostream>
#include <string>

namespace kit {

// verify: stored CRC, PE checksum, every entry inflated and checked, the
// configuration rows listed. list: the entries only. Returns the exit code.
int Verify(const std::string& path, bool fullCheck, std::ostream& out);

}  // namespace kit
