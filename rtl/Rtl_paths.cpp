#include "Rtl_paths.h"

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace rtl {

namespace {

bool IsDelimiter(char c) {
#ifdef _WIN32
    return c == '\\' || c == ':';
#else
    return c == '/';
#endif
}

size_t NameStart(const std::string& path) {
    for (size_t i = path.size(); i > 0; --i)
        if (IsDelimiter(path[i - 1]))
            return i;
    return 0;
}

size_t ExtensionStart(const std::string& path) {
    const size_t nameStart = NameStart(path);
    const size_t dot = path.rfind('.');
    return dot == std::string::npos || dot < nameStart ? path.size() : dot;
}

} // namespace

std::string ExtractFilePath(const std::string& path) {
    return path.substr(0, NameStart(path));
}

std::string ExtractFileName(const std::string& path) {
    return path.substr(NameStart(path));
}

std::string ExtractFileExt(const std::string& path) {
    return path.substr(ExtensionStart(path));
}

std::string RemoveFileExt(const std::string& path) {
    return path.substr(0, ExtensionStart(path));
}

std::string IncludeTrailingPathDelimiter(const std::string& path) {
    if (!path.empty() && IsDelimiter(path.back()))
        return path;
    return path + PathDelim;
}

std::string ExpandFileName(const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::path absolute = fs::absolute(fs::path(path), error);
    if (error)
        absolute = fs::path(path);
    return absolute.lexically_normal().string();
}

std::string AbsoluteFileName(const std::string& path) {
    if (path.starts_with(PathDelim))
        return path;
    return IncludeTrailingPathDelimiter(GetCurrentDir()) + path;
}

bool FileOrFolderExists(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0;
}

std::string GetCurrentDir() {
    std::error_code error;
    return std::filesystem::current_path(error).string();
}

namespace {

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

} // namespace

int CreateReplacementFile(const std::string& target, std::string& resolvedTarget,
                          std::string& temporary) {
    static std::atomic<unsigned> counter{0};
    resolvedTarget = FollowLinks(target);
    struct stat info {};
    const bool exists = ::stat(resolvedTarget.c_str(), &info) == 0;
    if (exists && !S_ISREG(info.st_mode)) {
        errno = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
        return -1;
    }
    // The file is replaced, not written, so its own write permission would go unasked.
    if (exists && ::access(resolvedTarget.c_str(), W_OK) != 0)
        return -1;
    const std::string folder = ExtractFilePath(resolvedTarget);
    const std::string name = ExtractFileName(resolvedTarget);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = folder + "." + name + "." + std::to_string(::getpid()) + "-" +
                    std::to_string(counter.fetch_add(1)) + ".tmp";
        // 0666 lets the umask decide, as for any new file the user makes.
        const int handle =
            ::open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0666);
        if (handle >= 0) {
            if (exists) {
                // The owner first: a change of owner may clear the set-ID bits of the mode.
                // Where the process may not give the file away, it keeps what it can.
                if (::fchown(handle, info.st_uid, info.st_gid) != 0)
                    (void)::fchown(handle, static_cast<uid_t>(-1), info.st_gid);
                ::fchmod(handle, info.st_mode & 07777);
            }
            return handle;
        }
        if (errno != EEXIST)
            return -1;
    }
    return -1;
}

bool SetCurrentDir(const std::string& folder) {
    return !folder.empty() && ::chdir(folder.c_str()) == 0;
}

bool CommitReplacementFile(const std::string& temporary, const std::string& resolvedTarget) {
    if (::rename(temporary.c_str(), resolvedTarget.c_str()) != 0)
        return false;
    std::string folder = ExtractFilePath(resolvedTarget);
    if (folder.empty())
        folder = ".";
    const int handle = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle < 0)
        return false;
    int error = ::fsync(handle) == 0 ? 0 : errno;
    ::close(handle);
    // File systems that cannot flush a folder keep names without it.
    if (error == EINVAL || error == EROFS)
        error = 0;
    errno = error;
    return error == 0;
}

int OpenRegularFile(const std::string& path) {
    const int handle = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (handle < 0)
        return -1;
    struct stat info {};
    int error = 0;
    if (::fstat(handle, &info) != 0)
        error = errno;
    else if (!S_ISREG(info.st_mode))
        error = S_ISDIR(info.st_mode) ? EISDIR : EINVAL;
    else if (const int flags = ::fcntl(handle, F_GETFL);
             flags < 0 || ::fcntl(handle, F_SETFL, flags & ~O_NONBLOCK) != 0)
        error = errno;
    if (error != 0) {
        ::close(handle);
        errno = error;
        return -1;
    }
    return handle;
}

bool CopyFileNoReplace(const std::string& source, const std::string& target) {
    const int in = OpenRegularFile(source);
    if (in < 0)
        return false;
    struct stat info {};
    const mode_t mode = ::fstat(in, &info) == 0 ? (info.st_mode & 07777) : 0666;
    // O_EXCL: an existing target, even one made a moment ago by someone else, is refused.
    const int out = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (out < 0) {
        ::close(in);
        return false;
    }
    bool ok = true;
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ok = false;
            break;
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t written = ::write(out, buffer + done, static_cast<size_t>(n - done));
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0) {
                ok = false;
                break;
            }
            done += written;
        }
        if (!ok)
            break;
    }
    ok = ::close(out) == 0 && ok;
    ::close(in);
    if (!ok)
        ::unlink(target.c_str());
    return ok;
}

} // namespace rtl
