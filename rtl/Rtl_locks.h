// Advisory locks that let cooperating processes take turns at one file.
#pragma once

#include "Rtl_sysio.h"

#include <string>

namespace rtl {

// An exclusive advisory lock (flock) on the file path names, symbolic links followed, held for
// the object's life. The constructor waits while another process holds it. A file replaced by
// rename while we waited is no longer the one the path names, so the lock then moves on to the
// file that is: a holder that has just saved lets its successor read the saved file.
//
// Where the file cannot be opened, nothing is locked and the caller's own open reports why; a
// file system that keeps no such locks leaves the file unlocked too.
class TFileLock {
public:
    explicit TFileLock(const std::string& path);
    TFileLock(const TFileLock&) = delete;
    TFileLock& operator=(const TFileLock&) = delete;

    bool Locked() const { return FFile.Get() >= 0; }

private:
    // The descriptor the lock is held through; closing it releases the lock.
    TFileHandle FFile;
};

} // namespace rtl
