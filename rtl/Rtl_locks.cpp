#include "Rtl_locks.h"

#include "Rtl_paths.h"

#include <cerrno>
#include <optional>
#include <sys/file.h>
#include <unistd.h>

namespace rtl {

namespace {

// Waits for the lock. False where it cannot be had at all: ENOLCK or EOPNOTSUPP from a file
// system that keeps no locks (a blocking flock has no other failure on a valid descriptor).
bool LockExclusive(int handle) {
    while (::flock(handle, LOCK_EX) != 0)
        if (errno != EINTR)
            return false;
    return true;
}

} // namespace

TFileLock::TFileLock(const std::string& path) {
    // Every round that fails the check follows a replacement another process has completed, so
    // the loop ends as soon as the others stop saving.
    for (;;) {
        // The same open as the load's: a FIFO must not block us here before the load refuses it.
        TFileHandle file(OpenRegularFile(path));
        if (file.Get() < 0 || !LockExclusive(file.Get()))
            return;
        const std::optional<TFileIdentity> locked = GetOpenFileIdentity(file.Get());
        if (!locked)
            return;
        // A path that names no file any more gets another round, whose open then fails.
        const std::optional<TFileIdentity> named = GetFileIdentity(path);
        if (named && named->SameFile(*locked)) {
            FFile.Reset(file.Release());
            return;
        }
    }
}

} // namespace rtl
