// File-name helpers of the component library, on the host's path rules: the folder delimiter
// is '/' on POSIX, and '\' or ':' on Windows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace rtl {

#ifdef _WIN32
constexpr char PathDelim = '\\';
#else
constexpr char PathDelim = '/';
#endif

// The folder part, up to and including the last delimiter ("" when there is none).
std::string ExtractFilePath(const std::string& path);
// The last component, extension included.
std::string ExtractFileName(const std::string& path);
// The extension of the last component with its dot ("" when there is none).
std::string ExtractFileExt(const std::string& path);
// The path without the extension of its last component.
std::string RemoveFileExt(const std::string& path);
std::string IncludeTrailingPathDelimiter(const std::string& path);
// path without the delimiters that end it, as a folder chosen with a trailing one; the root
// folder stays itself.
std::string ExcludeTrailingPathDelimiter(const std::string& path);
// The absolute form: relative to the current folder, with "." and ".." resolved by text.
std::string ExpandFileName(const std::string& path);
// The current folder put before a relative path, and nothing else: a ".." after a symbolic link
// must lead where the kernel goes, to the parent of the link's target, which folding by text
// would not. For every path that is still to be resolved.
std::string AbsoluteFileName(const std::string& path);
// The attribute query as an existence test: true when anything is at path, a dangling
// symbolic link included; any failure counts as nothing there.
bool FileOrFolderExists(const std::string& path);

// A calendar date and time in the machine's local time zone, as disks keep their files' dates.
struct TLocalTime {
    int Year = 0;
    int Month = 0;
    int Day = 0;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    friend bool operator==(const TLocalTime&, const TLocalTime&) = default;
};
// The time it is now.
TLocalTime LocalNow();
// When the file at path was last modified; empty when that cannot be read.
std::optional<TLocalTime> FileModifiedTime(const std::string& path);
// Gives the file at path that modification time; false when it is not a date the calendar has
// or the file system refuses.
bool SetFileModifiedTime(const std::string& path, const TLocalTime& time);
std::string GetCurrentDir();
// Makes folder the process's current folder; false when it cannot.
bool SetCurrentDir(const std::string& folder);
// Opens path for reading when it is a regular file. The open itself does not wait, as it would
// for a FIFO without a writer, and the descriptor is blocking again for the reads. Returns the
// descriptor, or -1 with errno set: EISDIR for a folder, EINVAL for a device, FIFO or socket.
int OpenRegularFile(const std::string& path);
// The reason given for a device, FIFO or socket where a file was expected: the system's
// "Invalid argument" would blame the name the user gave rather than the kind of thing it names.
std::string NotRegularFileReason(const std::string& path);
// Which file a path or descriptor reaches and the state it is in: any write changes the size or
// the modification time, and a replacement by rename changes the inode.
struct TFileIdentity {
    uint64_t Device = 0;
    uint64_t Inode = 0;
    int64_t Size = 0;
    // Nanoseconds since the epoch.
    int64_t ModifiedNs = 0;

    bool operator==(const TFileIdentity&) const = default;
    // The same file, whatever has been written to it since.
    bool SameFile(const TFileIdentity& other) const {
        return Device == other.Device && Inode == other.Inode;
    }
};
// The identity of the file path names, symbolic links followed; nothing when there is none.
std::optional<TFileIdentity> GetFileIdentity(const std::string& path);
// The identity of the file open at handle; nothing when the system cannot tell.
std::optional<TFileIdentity> GetOpenFileIdentity(int handle);

} // namespace rtl
