#include "Rtl_paths.h"

#include "Rtl_exceptions.h"
#include "Rtl_texts.h"

#include <cerrno>
#include <cstdlib>
#include <ctime>
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

std::string ExcludeTrailingPathDelimiter(const std::string& path) {
    size_t end = path.size();
    while (end > 1 && IsDelimiter(path[end - 1]))
        --end;
    return path.substr(0, end);
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

namespace {

TLocalTime LocalTimeOf(const std::tm& local) {
    return TLocalTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                      local.tm_hour,        local.tm_min,     local.tm_sec};
}

} // namespace

TLocalTime LocalNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    return LocalTimeOf(local);
}

std::optional<TLocalTime> FileModifiedTime(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    std::tm local{};
    if (::localtime_r(&info.st_mtime, &local) == nullptr)
        return std::nullopt;
    return LocalTimeOf(local);
}

bool SetFileModifiedTime(const std::string& path, const TLocalTime& time) {
    std::tm local{};
    local.tm_year = time.Year - 1900;
    local.tm_mon = time.Month - 1;
    local.tm_mday = time.Day;
    local.tm_hour = time.Hour;
    local.tm_min = time.Minute;
    local.tm_sec = time.Second;
    local.tm_isdst = -1;
    const std::time_t seconds = std::mktime(&local);
    // mktime carries a 31st of April into May; such a date is none the disk meant.
    if (seconds == static_cast<std::time_t>(-1) || local.tm_mday != time.Day ||
        local.tm_mon != time.Month - 1)
        return false;
    const struct timespec times[2] = {{0, UTIME_OMIT}, {seconds, 0}};
    return ::utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

std::string GetCurrentDir() {
    std::error_code error;
    return std::filesystem::current_path(error).string();
}

bool SetCurrentDir(const std::string& folder) {
    return !folder.empty() && ::chdir(folder.c_str()) == 0;
}

std::string NotRegularFileReason(const std::string& path) {
    return Format(rtl::Tr("Not a regular file: %s"), path.c_str());
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

namespace {

TFileIdentity IdentityOf(const struct stat& info) {
    TFileIdentity identity;
    identity.Device = static_cast<uint64_t>(info.st_dev);
    identity.Inode = static_cast<uint64_t>(info.st_ino);
    identity.Size = static_cast<int64_t>(info.st_size);
    identity.ModifiedNs = static_cast<int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 +
                          static_cast<int64_t>(info.st_mtim.tv_nsec);
    return identity;
}

} // namespace

std::optional<TFileIdentity> GetFileIdentity(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return std::nullopt;
    return IdentityOf(info);
}

std::optional<TFileIdentity> GetOpenFileIdentity(int handle) {
    struct stat info {};
    if (::fstat(handle, &info) != 0)
        return std::nullopt;
    return IdentityOf(info);
}

} // namespace rtl
