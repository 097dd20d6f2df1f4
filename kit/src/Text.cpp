#include "Text.h"

namespace kit {

namespace {

// Code page 1252 bytes 0x80..0x9F; 0 marks the five unassigned bytes.
constexpr char16_t kHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

}  // namespace

std::optional<std::u16string> Utf8ToUtf16(const std::string& text)
{
    std::u16string out;
    std::size_t i = 0;
    while (i < text.size()) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        std::uint32_t cp;
        int extra;
        if (c < 0x80) { cp = c; extra = 0; }
        else if ((c & 0xE0) == 0xC0) { cp = c & 0x1F; extra = 1; }
        else if ((c & 0xF0) == 0xE0) { cp = c & 0x0F; extra = 2; }
        else if ((c & 0xF8) == 0xF0) { cp = c & 0x07; extra = 3; }
        else return std::nullopt;
        if (i + static_cast<std::size_t>(extra) >= text.size() && extra > 0)
            return std::nullopt;
        for (int k = 1; k <= extra; ++k) {
            unsigned char d = static_cast<unsigned char>(text[i + k]);
            if ((d & 0xC0) != 0x80)
                return std::nullopt;
            cp = (cp << 6) | (d & 0x3F);
        }
        static constexpr std::uint32_t kMin[4] = {0, 0x80, 0x800, 0x10000};
        if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            return std::nullopt;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
        i += 1 + extra;
    }
    return out;
}

std::string Utf16ToUtf8(const std::u16string& text)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::uint32_t cp = text[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::optional<unsigned char> ToCp1252(char16_t unit)
{
    if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF))
        return static_cast<unsigned char>(unit);
    for (int k = 0; k < 32; ++k)
        if (kHigh[k] != 0 && kHigh[k] == unit)
            return static_cast<unsigned char>(0x80 + k);
    return std::nullopt;
}

char16_t FromCp1252(unsigned char byte)
{
    if (byte >= 0x80 && byte < 0xA0)
        return kHigh[byte - 0x80] ? kHigh[byte - 0x80] : char16_t(byte);
    return byte;
}

std::optional<std::string> Utf8ToCp1252(const std::string& text)
{
    auto wide = Utf8ToUtf16(text);
    if (!wide)
        return std::nullopt;
    std::string out;
    for (char16_t u : *wide) {
        auto b = ToCp1252(u);
        if (!b)
            return std::nullopt;
        out.push_back(static_cast<char>(*b));
    }
    return out;
}

std::string Cp1252ToUtf8(const std::string& bytes)
{
    std::u16string wide;
    for (char c : bytes)
        wide.push_back(FromCp1252(static_cast<unsigned char>(c)));
    return Utf16ToUtf8(wide);
}

std::string FirstUnencodable(const std::string& utf8)
{
    auto wide = Utf8ToUtf16(utf8);
    if (!wide)
        return "(malformed UTF-8)";
    for (std::size_t i = 0; i < wide->size(); ++i) {
        char16_t u = (*wide)[i];
        if (!ToCp1252(u)) {
            std::u16string one(1, u);
            if (u >= 0xD800 && u <= 0xDBFF && i + 1 < wide->size())
                one.push_back((*wide)[i + 1]);
            return Utf16ToUtf8(one);
        }
    }
    return {};
}

std::string FoldCaseCp1252(const std::string& bytes)
{
    std::string out = bytes;
    for (char& c : out) {
        unsigned char b = static_cast<unsigned char>(c);
        if ((b >= 'a' && b <= 'z') || (b >= 0xE0 && b <= 0xFE && b != 0xF7))
            b = static_cast<unsigned char>(b - 0x20);
        else if (b == 0x9A || b == 0x9C || b == 0x9E)  // s, oe, z with caron/ligature
            b = static_cast<unsigned char>(b - 0x10);
        else if (b == 0xFF)
            b = 0x9F;
        c = static_cast<char>(b);
    }
    return out;
}

bool EqualsIgnoreCaseAscii(const std::string& a, const std::string& b)
{
    return LowerAscii(a) == LowerAscii(b);
}

std::string LowerAscii(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return text;
}

}  // namespace kit
