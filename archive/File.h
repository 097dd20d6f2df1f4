// File: the scoped C stream behind every file the programs read or write.
//
// Every failed operation raises its XFile code; the stream is closed when the
// File is closed or destroyed, so no failure leaves a stream open.
#pragma once

#include <cstdint>
#include <cstdio>

#include "Errors.h"

class File {
public:
    enum Origin { FROM_START = SEEK_SET, FROM_CURRENT = SEEK_CUR, FROM_END = SEEK_END };

    File();
    // Closes an open stream. A failed close raises XFile 5 unless another
    // failure is already unwinding through this File's owner: that first
    // failure is the one reported, and the program is never terminated.
    ~File() noexcept(false);

    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Closes an open stream first (XFile 5), then opens path (XFile 1).
    void Open(const char* path, const char* mode);
    // Nothing on a closed File; closed afterwards in every case (XFile 5).
    void Close();
    // Exactly n bytes or XFile 2.
    void Read(void* buffer, std::int32_t n);
    // Exactly n bytes or XFile 3.
    void Write(const void* buffer, std::int32_t n);
    // XFile 4 when the C library refuses.
    void Seek(std::int32_t offset, Origin origin);
    std::int32_t Tell();
    // Length in bytes; the position is kept (XFile 4).
    std::int32_t Length();

    bool IsOpen() const { return stream != nullptr; }

    std::FILE* stream;

private:
    int unwindingAtStart;
};
