// Text conversions between the product file (UTF-8) and what the setup
// program reads: UTF-16 in its string table, the ANSI code page 1252 at run time.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace kit {

// UTF-8 to UTF-16; nullopt for malformed input.
std::optional<std::u16string> Utf8ToUtf16(const std::string& text);
std::string Utf16ToUtf8(const std::u16string& text);

// The Windows-1252 byte of a UTF-16 unit, or nullopt when the code page has none.
std::optional<unsigned char> ToCp1252(char16_t unit);
char16_t FromCp1252(unsigned char byte);

// UTF-8 text to code page 1252 bytes; nullopt when a character has no byte there.
std::optional<std::string> Utf8ToCp1252(const std::string& text);
std::string Cp1252ToUtf8(const std::string& bytes);

// First character of text that code page 1252 cannot carry, as UTF-8 (empty if none).
std::string FirstUnencodable(const std::string& utf8);

// Upper-cases code page 1252 text the way Windows compares file names.
std::string FoldCaseCp1252(const std::string& bytes);

bool EqualsIgnoreCaseAscii(const std::string& a, const std::string& b);
std::string LowerAscii(std::string text);

}  // namespace kit
