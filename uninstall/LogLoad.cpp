#include <cstdio>
#include <cstring>
#include <new>

#include "File.h"
#include "Texts.h"
#include "Uninstall.h"

void LoadLogText(const char* path, std::unique_ptr<char[]>& text, LogCursor& cursor)
{
    File log;
    log.Open(path, "rt");
    log.Seek(0, File::FROM_END);
    long size = std::ftell(log.stream);
    // A failed ftell (-1) would otherwise become a one-byte buffer read as
    // if it were larger.
    if (size < 0)
        throw XFile{XFILE_SEEK};
    text.reset(new char[static_cast<std::size_t>(size) + 1]);
    text[0] = '\0';
    log.Seek(0, File::FROM_START);
    // Text mode turns CR LF into LF, so fewer characters than bytes may
    // arrive; a short read is no error. The text ends where the read ended.
    std::size_t delivered = size > 0 ? std::fread(text.get(), 1, static_cast<std::size_t>(size), log.stream) : 0;
    text[delivered] = '\0';
    log.Close();
    cursor.start = text.get();
    cursor.next = text.get();
    cursor.end = text.get() + delivered;
    cursor.taken = 0;
}

const char* CheckLogHeader(LogCursor& cursor, char* header)
{
    const std::size_t prefixLength = std::strlen(texts::HEADER_PREFIX);
    if (NextLine(cursor, header, HEADER_CAPACITY) == nullptr || LineHoldsNul(cursor, header) ||
        !StartsWithIgnoringAsciiCase(header, texts::HEADER_PREFIX))
        throw XFile{XFILE_OPEN};
    return header + prefixLength;
}
