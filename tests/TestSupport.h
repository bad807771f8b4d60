// Helpers shared by the tests: temporary folders, whole-file reads and writes, sample files.
#pragma once

#include "Rtl_filewriter.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/types.h>
#include <vector>

namespace testsupport {

// The message of the E that f raises, or a marker naming what went wrong instead.
template <typename E, typename F> std::string MessageOf(F&& f) {
    try {
        f();
    } catch (const E& e) {
        return e.Message();
    }
    return "(nothing raised)";
}

// The message of the E that f raises with its reason on a line beneath, as the displays show
// them; the message alone when there is no reason.
template <typename E, typename F> std::string MessageWithReasonOf(F&& f) {
    try {
        f();
    } catch (const E& e) {
        return e.Reason().empty() ? e.Message() : e.Message() + "\n" + e.Reason();
    }
    return "(nothing raised)";
}

// The writer's system calls with what a test chooses, while it exists: no unnamed files, as on
// file systems without them, and an action just before a file takes a name, as of another
// program that makes a file of that name meanwhile.
class WriterCalls : public rtl::TFileWriterCalls {
public:
    WriterCalls() : FScope(*this) {}

    bool NamedTemporaries = false;
    // Called with the name (in its folder) that a file is about to take.
    std::function<void(const std::string& name)> BeforeNaming;

    int OpenUnnamed(int folder, unsigned mode) override;
    int LinkUnnamed(int handle, int folder, const std::string& name) override;
    int RenameNoReplace(int folder, const std::string& from, const std::string& to) override;
    int Rename(int folder, const std::string& from, const std::string& to) override;

private:
    void Naming(const std::string& name) const;

    rtl::TFileWriterCallsScope FScope;
};

using Bytes = std::vector<uint8_t>;

// A fresh folder under the system's temporary folder, removed with everything in it.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return FPath; }
    // Path() + "/" + name.
    std::string File(const std::string& name) const;

private:
    std::string FPath;
};

// Puts the process's current folder back on destruction: opening and saving documents moves it.
class CurrentFolderKeeper {
public:
    CurrentFolderKeeper();
    ~CurrentFolderKeeper();
    CurrentFolderKeeper(const CurrentFolderKeeper&) = delete;
    CurrentFolderKeeper& operator=(const CurrentFolderKeeper&) = delete;

private:
    std::string FFolder;
};

// Makes writes beyond `limit` bytes per file fail, as a full disk would, for one scope: the
// signal that would end the process becomes a plain write error.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t limit);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit FSaved{};
    void (*FSavedHandler)(int) = nullptr;
};

Bytes Concat(std::initializer_list<Bytes> parts);
// Stores value little-endian in `width` bytes at offset.
void PutLe(Bytes& bytes, size_t offset, uint32_t value, int width);
// A blank formatted image laid out by hand from the D88 layout, independently of the program's
// builder: a 688-byte header, then c * h tracks of r sectors of 128 << n bytes equal to fill.
Bytes FormattedImage(uint8_t diskType, int c, int h, int r, int n, uint8_t fill = 0x00);
// A sector as a test lays it out by hand: its ID, marks and data, whose length the header gives.
struct LaidSector {
    uint8_t C = 0, H = 0, R = 0, N = 0;
    uint8_t Density = 0x00;
    uint8_t Deleted = 0x00;
    uint8_t Status = 0x00;
    Bytes Data;
};
// An image of the tracks at table entries 0, 1, ..., each sector's count that of its track.
Bytes LaidOutImage(const std::vector<std::vector<LaidSector>>& tracks);

Bytes ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const Bytes& bytes);
std::string ReadFileText(const std::string& path);
void WriteFileText(const std::string& path, const std::string& text);
bool FileExists(const std::string& path);
// Names of the entries of a folder, sorted.
std::vector<std::string> ListFolder(const std::string& path);
// The path of one of the sample images in tests/data/samples.
std::string SamplePath(const std::string& name);
Bytes SampleBytes(const std::string& name);

// How long a test waits for a child process or its word before it gives up on it: long enough
// for a loaded machine under the sanitizers, and only ever reached by a child that hangs.
constexpr std::chrono::seconds ChildBound{120};
// The wait status of child once it has ended; a child still running after bound is killed, and
// then, as for a failed wait, nothing is returned.
std::optional<int> WaitForExit(pid_t child, std::chrono::seconds bound = ChildBound);
// Reads one byte from fd, waiting at most bound for it; false when none came.
bool ReadByteWithin(int fd, std::chrono::seconds bound, char& byte);

} // namespace testsupport
