// Reads and writes on descriptors that a signal cannot cut short: a call interrupted before it
// moved a byte is made again, as every caller would otherwise have to.
#pragma once

#include <cstddef>
#include <sys/types.h>
#include <utility>

namespace rtl {

// One read(2), repeated while interrupted: the bytes read, 0 at the end, -1 with errno set.
ssize_t ReadSome(int handle, void* buffer, size_t count);
// The same at an offset, leaving the descriptor's own position alone (pread(2), pwrite(2)).
ssize_t ReadSomeAt(int handle, void* buffer, size_t count, off_t offset);
ssize_t WriteSomeAt(int handle, const void* buffer, size_t count, off_t offset);

// An open descriptor, closed with its owner unless handed on; -1 holds none.
class TFileHandle {
public:
    explicit TFileHandle(int handle = -1) : FHandle(handle) {}
    ~TFileHandle() { Reset(); }
    TFileHandle(const TFileHandle&) = delete;
    TFileHandle& operator=(const TFileHandle&) = delete;

    int Get() const { return FHandle; }
    int Release() { return std::exchange(FHandle, -1); }
    // Closes the descriptor held and takes handle instead.
    void Reset(int handle = -1);

private:
    int FHandle;
};

} // namespace rtl
