#include "Zip.h"

#include <cstdio>

namespace kit {

DosTime ToDosTime(std::time_t t)
{
    std::tm tm{};
#ifdef _WIN32
    gmtime_s(&tm, &t);
#else
    gmtime_r(&t, &tm);
#endif
    int year = tm.tm_year + 1900;
    DosTime d;
    if (year < 1980) {
        d.date = (1 << 5) | 1;  // 1980-01-01 00:00:00
        return d;
    }
    if (year > 2107) {
        d.date = static_cast<std::uint16_t>((127 << 9) | (12 << 5) | 31);
        d.time = static_cast<std::uint16_t>((23 << 11) | (59 << 5) | 29);
        return d;
    }
    d.date = static_cast<std::uint16_t>(((year - 1980) << 9) | ((tm.tm_mon + 1) << 5) | tm.tm_mday);
    d.time = static_cast<std::uint16_t>((tm.tm_hour << 11) | (tm.tm_min << 5) | (tm.tm_sec / 2));
    return d;
}

std::string FormatDosTime(DosTime t)
{
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", 1980 + (t.date >> 9), (t.date >> 5) & 15,
                  t.date & 31, t.time >> 11, (t.time >> 5) & 63, (t.time & 31) * 2);
    return text;
}

}  // namespace kit
