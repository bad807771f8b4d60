#include "Rtl_sysio.h"

#include <cerrno>
#include <unistd.h>

namespace rtl {

ssize_t ReadSome(int handle, void* buffer, size_t count) {
    for (;;) {
        const ssize_t n = ::read(handle, buffer, count);
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

ssize_t ReadSomeAt(int handle, void* buffer, size_t count, off_t offset) {
    for (;;) {
        const ssize_t n = ::pread(handle, buffer, count, offset);
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

ssize_t WriteSomeAt(int handle, const void* buffer, size_t count, off_t offset) {
    for (;;) {
        const ssize_t n = ::pwrite(handle, buffer, count, offset);
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

void TFileHandle::Reset(int handle) {
    if (FHandle >= 0)
        ::close(FHandle);
    FHandle = handle;
}

} // namespace rtl
