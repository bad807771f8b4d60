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

ssize_t WriteSome(int handle, const void* buffer, size_t count) {
    for (;;) {
        const ssize_t n = ::write(handle, buffer, count);
        if (n >= 0 || errno != EINTR)
            return n;
    }
}

} // namespace rtl
