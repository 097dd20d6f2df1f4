// Coded failures of the file and archive layers.
//
// Each value is one signed byte and nothing else: the code picks the message
// text from the setup program's string table (11050 + code for XFile,
// 11000 + code for XZip). The layers that raise them never catch them.
#pragma once

#include <cstdint>

struct XFile {
    std::int8_t code;
};

struct XZip {
    std::int8_t code;
};

static_assert(sizeof(XFile) == 1, "XFile is one byte");
static_assert(sizeof(XZip) == 1, "XZip is one byte");

// XFile codes
enum : std::int8_t {
    XFILE_OPEN = 1,  // opening a stream failed
    XFILE_READ = 2,  // a read returned fewer bytes than requested
    XFILE_WRITE = 3, // a write stored fewer bytes than requested
    XFILE_SEEK = 4,  // a change of the stream position failed
    XFILE_CLOSE = 5, // closing a stream reported an error
};

// XZip codes
enum : std::int8_t {
    XZIP_NO_END_RECORD = 1,     // no end-of-central-directory record
    XZIP_NO_CENTRAL_RECORD = 2, // a central record is not where it should be
    XZIP_MISSING_ENTRY = 3,     // no entries, or a local header is missing
    XZIP_CORRUPT = 4,           // data corrupt or incomplete
    XZIP_BAD_METHOD = 5,        // neither stored nor deflated
    XZIP_NO_DIRECTORY = 6,      // a directory cannot be created
    XZIP_INFLATE = 7,           // the decompression library failed
};

// String-table rows of the message texts.
constexpr int XZIP_TEXT_BASE = 11000;
constexpr int XFILE_TEXT_BASE = 11050;
