// Advisory locks that let cooperating processes take turns at one file.
#pragma once

#include <string>
#include <utility>

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
    // One open descriptor, closed with its owner unless handed on.
    class TOwnedHandle {
    public:
        explicit TOwnedHandle(int handle) : FHandle(handle) {}
        ~TOwnedHandle();
        TOwnedHandle(const TOwnedHandle&) = delete;
        TOwnedHandle& operator=(const TOwnedHandle&) = delete;

        int Get() const { return FHandle; }
        int Release() { return std::exchange(FHandle, -1); }
        // Closes the descriptor held and takes handle instead.
        void Reset(int handle);

    private:
        int FHandle;
    };

    // The descriptor the lock is held through; closing it releases the lock.
    TOwnedHandle FFile{-1};
};

} // namespace rtl
