#include "Rtl_filewriter.h"

#include "Rtl_paths.h"
#include "Rtl_texts.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace rtl {

namespace {

// ---------------------------------------------------------------------------------------------
// Named temporaries are removed when a signal ends the process: the handler only reads what a
// registration published completely, and calls nothing but what is safe in a signal handler.

struct TCleanupSlot {
    std::atomic<bool> Used{false};
    std::atomic<int> Folder{-1};
    char Name[64] = {};
};

TCleanupSlot CleanupSlots[16];

void RemoveTemporariesAndEnd(int signal) {
    for (TCleanupSlot& slot : CleanupSlots) {
        const int folder = slot.Folder.load();
        if (folder >= 0)
            ::unlinkat(folder, slot.Name, 0);
    }
    // The process then ends as the signal would have ended it, for its parent to see.
    ::signal(signal, SIG_DFL);
    ::raise(signal);
}

void InstallCleanupHandlers() {
    static std::once_flag once;
    std::call_once(once, [] {
        for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
            struct sigaction current {};
            // A signal the user had ignored (nohup) or the program handles itself stays so.
            if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler != SIG_DFL)
                continue;
            struct sigaction action {};
            action.sa_handler = &RemoveTemporariesAndEnd;
            sigemptyset(&action.sa_mask);
            ::sigaction(signal, &action, nullptr);
        }
    });
}

class TCleanupRegistration {
public:
    TCleanupRegistration() = default;
    TCleanupRegistration(const TCleanupRegistration&) = delete;
    TCleanupRegistration& operator=(const TCleanupRegistration&) = delete;
    ~TCleanupRegistration() { Release(); }

    // Registered before the name is created, so that no moment passes with the file there and
    // unknown to the handler. With every slot taken the file is merely not cleaned up.
    void Register(int folder, const std::string& name) {
        Release();
        if (name.size() >= sizeof(TCleanupSlot::Name))
            return;
        InstallCleanupHandlers();
        for (TCleanupSlot& slot : CleanupSlots) {
            bool expected = false;
            if (!slot.Used.compare_exchange_strong(expected, true))
                continue;
            std::memcpy(slot.Name, name.c_str(), name.size() + 1);
            slot.Folder.store(folder);
            FSlot = &slot;
            return;
        }
    }
    void Release() {
        if (FSlot == nullptr)
            return;
        FSlot->Folder.store(-1);
        FSlot->Used.store(false);
        FSlot = nullptr;
    }

private:
    TCleanupSlot* FSlot = nullptr;
};

// ---------------------------------------------------------------------------------------------

// Short, whatever the target's name: a name of 255 bytes must stay savable.
std::string TemporaryName() {
    static std::atomic<unsigned> counter{0};
    return ".trackwell-" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1)) +
           ".tmp";
}

// An unnamed file gets its name through its entry in /proc; where that is missing, a file is
// written under a temporary name from the start.
bool CanNameUnnamedFiles() {
    static const bool can = ::access("/proc/self/fd", X_OK) == 0;
    return can;
}

// Where the kernel would write through path: every symbolic link followed, a dangling one to
// the name it points at, so that saving creates that file instead of replacing the link.
std::string FollowLinks(const std::string& path) {
    std::string current = path;
    // The kernel's own limit on a chain of links.
    for (int depth = 0; depth < 40; ++depth) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
            return current;
        std::string link(static_cast<size_t>(info.st_size > 0 ? info.st_size : PATH_MAX), '\0');
        const ssize_t length = ::readlink(current.c_str(), link.data(), link.size());
        if (length < 0)
            return current;
        link.resize(static_cast<size_t>(length));
        current = link.starts_with(PathDelim) ? link : ExtractFilePath(current) + link;
    }
    return current;
}

[[noreturn]] void RaiseCreateError(int error, const std::string& path) {
    EFCreateError e(Format(rtl::Tr("Cannot create file \"%s\"."), path.c_str()));
    e.SetReason(SystemReason(error, path));
    throw e;
}

// A test's stand-in for the system's calls, or nullptr.
TFileWriterCalls* CurrentCalls = nullptr;

} // namespace

int TFileWriterCalls::OpenUnnamed(int folder, unsigned mode) {
    // The file could be made but never named.
    if (!CanNameUnnamedFiles()) {
        errno = EOPNOTSUPP;
        return -1;
    }
    return ::openat(folder, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, static_cast<mode_t>(mode));
}

int TFileWriterCalls::OpenNew(int folder, const std::string& name, unsigned mode) {
    return ::openat(folder, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                    static_cast<mode_t>(mode));
}

int TFileWriterCalls::LinkUnnamed(int handle, int folder, const std::string& name) {
    const std::string self = "/proc/self/fd/" + std::to_string(handle);
    return ::linkat(AT_FDCWD, self.c_str(), folder, name.c_str(), AT_SYMLINK_FOLLOW);
}

// Where the file system lacks the flag, a hard link does the same; where it has no hard links
// either (FAT), the check and the rename are two steps, the best that such a file system allows.
int TFileWriterCalls::RenameNoReplace(int folder, const std::string& from, const std::string& to) {
    if (::renameat2(folder, from.c_str(), folder, to.c_str(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
        return -1;
    if (::linkat(folder, from.c_str(), folder, to.c_str(), 0) == 0) {
        ::unlinkat(folder, from.c_str(), 0);
        return 0;
    }
    if (errno != EPERM && errno != EOPNOTSUPP)
        return -1;
    struct stat info {};
    if (::fstatat(folder, to.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
        errno = EEXIST;
        return -1;
    }
    return ::renameat(folder, from.c_str(), folder, to.c_str());
}

int TFileWriterCalls::Rename(int folder, const std::string& from, const std::string& to) {
    return ::renameat(folder, from.c_str(), folder, to.c_str());
}

int TFileWriterCalls::FlushData(int handle) {
    return ::fdatasync(handle);
}

int TFileWriterCalls::FlushFolder(int folder) {
    return ::fsync(folder);
}

TFileWriterCalls& FileWriterCalls() {
    static TFileWriterCalls system;
    return CurrentCalls != nullptr ? *CurrentCalls : system;
}

TFileWriterCallsScope::TFileWriterCallsScope(TFileWriterCalls& calls) : FPrevious(CurrentCalls) {
    CurrentCalls = &calls;
}

TFileWriterCallsScope::~TFileWriterCallsScope() {
    CurrentCalls = FPrevious;
}

// ---------------------------------------------------------------------------------------------

struct TNewFileStream::TPlace {
    int Folder = -1;
    std::string FolderPath;
    // The name the file takes on Replace.
    std::string Name;
    // The file's temporary name, while it has one.
    std::string Temporary;
    TCleanupRegistration Cleanup;
    bool Unnamed = false;
    bool Named = false;

    TPlace() = default;
    TPlace(const TPlace&) = delete;
    TPlace& operator=(const TPlace&) = delete;
    ~TPlace() {
        RemoveTemporary();
        if (Folder >= 0)
            ::close(Folder);
    }
    void RemoveTemporary() {
        if (!Temporary.empty())
            ::unlinkat(Folder, Temporary.c_str(), 0);
        Temporary.clear();
        Cleanup.Release();
    }
    // A temporary name the file is created under or linked to; fails but for a name taken.
    template <typename TMake> int MakeTemporary(TMake make) {
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string name = TemporaryName();
            Cleanup.Register(Folder, name);
            const int result = make(name);
            if (result >= 0) {
                Temporary = name;
                return result;
            }
            Cleanup.Release();
            if (errno != EEXIST)
                return -1;
        }
        return -1;
    }
};

TNewFileStream::TPrepared TNewFileStream::Prepare(const std::string& target, TNaming naming) {
    TPrepared prepared{std::make_unique<TPlace>(), -1};
    TPlace& place = *prepared.Place;
    const std::string path = naming == TNaming::Replace ? FollowLinks(target) : target;
    struct stat info {};
    const bool exists = naming == TNaming::Replace && ::stat(path.c_str(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode))
        RaiseCreateError(EISDIR, target);
    if (exists && !S_ISREG(info.st_mode)) {
        EFCreateError e(Format(rtl::Tr("Cannot create file \"%s\"."), target.c_str()));
        e.SetReason(NotRegularFileReason(target));
        throw e;
    }
    // The file is replaced, not written, so its own write permission would go unasked.
    if (exists && ::access(path.c_str(), W_OK) != 0)
        RaiseCreateError(errno, target);
    place.FolderPath = ExtractFilePath(path);
    place.Name = ExtractFileName(path);
    place.Folder = ::open(place.FolderPath.empty() ? "." : place.FolderPath.c_str(),
                          O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (place.Folder < 0)
        RaiseCreateError(errno, target);
    // 0666 lets the umask decide, as for any new file the user makes.
    constexpr mode_t NewFileMode = 0666;
    TFileWriterCalls& calls = FileWriterCalls();
    int handle = calls.OpenUnnamed(place.Folder, NewFileMode);
    place.Unnamed = handle >= 0;
    // These say the file system has no unnamed files; anything else is a real failure.
    if (handle < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
        RaiseCreateError(errno, target);
    if (handle < 0) {
        handle = place.MakeTemporary([&](const std::string& name) {
            return calls.OpenNew(place.Folder, name, NewFileMode);
        });
        if (handle < 0)
            RaiseCreateError(errno, target);
    }
    if (exists) {
        // The owner first: a change of owner may clear the set-ID bits of the mode. Where the
        // process may not give the file away, it keeps what it can: the group, then the mode,
        // each given up without a word when refused.
        if (::fchown(handle, info.st_uid, info.st_gid) != 0 &&
            ::fchown(handle, static_cast<uid_t>(-1), info.st_gid) != 0) {
        }
        if (::fchmod(handle, info.st_mode & 07777) != 0) {
        }
    }
    prepared.Handle = handle;
    return prepared;
}

TNewFileStream::TNewFileStream(const std::string& target, TNaming naming)
    : TNewFileStream(Prepare(target, naming), target, naming) {}

TNewFileStream::TNewFileStream(TPrepared prepared, const std::string& target, TNaming naming)
    : TFileStream(prepared.Handle, target), FPlace(std::move(prepared.Place)), FPath(target),
      FNaming(naming) {}

TNewFileStream::~TNewFileStream() = default;

void TNewFileStream::SetPermissions(unsigned mode) {
    // A copy that cannot take its original's mode keeps the one the umask gave it.
    if (::fchmod(Handle(), static_cast<mode_t>(mode & 07777)) != 0) {
    }
}

void TNewFileStream::Commit() {
    Commit(FPath);
}

void TNewFileStream::Commit(const std::string& name) {
    // The bytes reach the disk before the name does: after a power loss the name never leads
    // to a file that is missing its end.
    Flush();
    Name(name);
    CloseAndFlushFolder();
}

void TNewFileStream::CommitLater(const std::string& name) {
#ifdef __linux__
    ::sync_file_range(Handle(), 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
    Name(name);
}

void TNewFileStream::FlushCommitted() {
    Flush();
    CloseAndFlushFolder();
}

int TNewFileStream::FlushHandle(int handle) {
    return FileWriterCalls().FlushData(handle);
}

void TNewFileStream::CloseAndFlushFolder() {
    Close();
    // The name is only as durable as the folder that holds it.
    if (FileWriterCalls().FlushFolder(FPlace->Folder) != 0 && errno != EINVAL && errno != EROFS)
        Fail(errno, FPath);
}

void TNewFileStream::Name(const std::string& path) {
    TPlace& place = *FPlace;
    if (place.Named)
        return;
    const std::string name = FNaming == TNaming::Replace ? place.Name : ExtractFileName(path);
    TFileWriterCalls& calls = FileWriterCalls();
    int result = 0;
    if (FNaming == TNaming::NoReplace) {
        result = place.Unnamed ? calls.LinkUnnamed(Handle(), place.Folder, name)
                               : calls.RenameNoReplace(place.Folder, place.Temporary, name);
    } else {
        // A link cannot replace a file: the unnamed file gets a temporary name for the moment
        // of the rename.
        if (place.Unnamed && place.MakeTemporary([&](const std::string& temporary) {
                return calls.LinkUnnamed(Handle(), place.Folder, temporary);
            }) < 0)
            Fail(errno, path);
        result = calls.Rename(place.Folder, place.Temporary, name);
    }
    if (result != 0) {
        const int error = errno;
        // An unnamed file loses the name it had for the rename and stays unnamed; a file
        // written under its temporary name keeps it, for another name or for the destructor.
        if (place.Unnamed)
            place.RemoveTemporary();
        if (error == EEXIST && FNaming == TNaming::NoReplace) {
            EFileExistsError e(Format(rtl::Tr("The file \"%s\" exists."), path.c_str()));
            e.SetReason(SystemReason(error, path));
            throw e;
        }
        Fail(error, path);
    }
    // The rename took the temporary name away.
    place.Temporary.clear();
    place.Cleanup.Release();
    place.Named = true;
    FPath = path;
}

void TNewFileStream::Fail(int error, const std::string& path) {
    SetFailure(error);
    EWriteError e(Format(rtl::Tr("Cannot write file \"%s\"."), path.c_str()));
    e.SetReason(SystemReason(error, path));
    throw e;
}

// ---------------------------------------------------------------------------------------------

void TFileBatch::Add(std::unique_ptr<TNewFileStream> file) {
    // Well below the usual limit of 1,024 descriptors.
    constexpr size_t MaxPending = 256;
    if (FPending.size() >= MaxPending)
        Flush();
    FPending.push_back(std::move(file));
}

void TFileBatch::Flush() {
    std::exception_ptr failure;
    for (auto& file : FPending) {
        try {
            file->FlushCommitted();
        } catch (const EStreamError&) {
            if (!failure)
                failure = std::current_exception();
        }
    }
    FPending.clear();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace rtl
