// Little-endian field access on byte buffers, always bounds-checked by the caller.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kit {

using Bytes = std::vector<std::uint8_t>;

inline std::uint16_t Get16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
inline std::uint32_t Get32(const std::uint8_t* p)
{
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline void Put16(std::uint8_t* p, std::uint32_t v)
{
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void Put32(std::uint8_t* p, std::uint32_t v)
{
    Put16(p, v & 0xFFFF);
    Put16(p + 2, v >> 16);
}
inline void Append16(Bytes& b, std::uint32_t v)
{
    b.push_back(static_cast<std::uint8_t>(v));
    b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void Append32(Bytes& b, std::uint32_t v)
{
    Append16(b, v & 0xFFFF);
    Append16(b, v >> 16);
}
inline std::uint32_t AlignUp(std::uint32_t v, std::uint32_t a) { return a ? (v + a - 1) / a * a : v; }

// Whole file; throws KitError naming the file when it cannot be read.
Bytes ReadFileBytes(const std::string& path);

}  // namespace kit
