// The files on a disk: the file systems D88 disks carry, recognised from the disk's own
// structures, listed, read and changed. Every file system reads an image's bytes through the
// sectors' places on the disk, and every change gives the image's new bytes, so that the
// document makes one undoable step of it and a refused change leaves nothing behind.
#pragma once

#include "App_disksectors.h"
#include "Rtl_exceptions.h"
#include "Rtl_paths.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// A change that cannot be made, or a file that is not there: the message says which.
RTL_DECLARE_EXCEPTION(EFileSystemError, rtl::Exception);
// A name the file system's names cannot be: the message says which rule it breaks.
RTL_DECLARE_EXCEPTION(ENameError, EFileSystemError);

// One entry of a folder as a listing shows it. Names are code page 932 bytes; Kind and Details
// are ASCII texts of the file system's own terms.
struct TFileEntry {
    std::string Name;
    int64_t Size = 0;
    bool Folder = false;
    // "folder", or the file system's type of the file ("ASCII", "binary", "BASIC", …).
    std::string Kind;
    // Its attributes, date or load and run addresses.
    std::string Details;
    // The date the disk keeps for it, where it keeps one.
    std::optional<rtl::TLocalTime> Date;
};

class TFileSystem {
public:
    virtual ~TFileSystem() = default;

    // "FAT12", "N88-BASIC", "Hu-BASIC", "F-BASIC", "MZ-BASIC" or "CP/M".
    virtual std::string Name() const = 0;
    // The files of the whole disk, sub-folders' included, and the bytes a new file can take.
    virtual int64_t FileCount() const = 0;
    virtual int64_t FreeBytes() const = 0;
    // What is wrong with the disk's structures, as a clause ("the allocation chain of
    // "GAME.BAS" loops"); empty when it is sound. A damaged disk is listed and read as far as it
    // is sound, and never changed.
    virtual std::string Damage() const = 0;

    // Paths are code page 932 bytes, folders parted by '/'; "" is the root folder.
    // EFileSystemError "The disk has no folder "…"." when folder names none.
    virtual std::vector<TFileEntry> List(std::string_view folder) const = 0;
    // The file's bytes. EFileSystemError "The disk has no file "…"." when path names none.
    virtual std::vector<uint8_t> Read(std::string_view path) const = 0;

    // The bytes Read gives of a file that Put wrote from data: data itself where the disk keeps
    // a file's exact length. N88-BASIC keeps whole sectors and says so here.
    virtual std::vector<uint8_t> ReadBackOf(std::span<const uint8_t> data) const {
        return {data.begin(), data.end()};
    }

    // Whether the file system can change its files at all (CP/M cannot, yet).
    virtual bool CanWrite() const { return false; }
    // The name nearest to name (code page 932) that its files can have: characters it cannot
    // hold replaced by '_', the name cut to its lengths at a character boundary, in upper case
    // where it keeps names so. name itself where it fits, and for a file system only read.
    virtual std::string FittingName(std::string_view name) const { return std::string(name); }
    // Each change returns the bytes of the whole image after it and leaves this file system and
    // its image as they were; EFileSystemError when the change cannot be made, with a sentence
    // that says why.
    // Writes data as the file path, replacing a file of that name; a file system that keeps
    // dates gives it date, or the time it is now without one.
    std::vector<uint8_t> Put(std::string_view path, std::span<const uint8_t> data,
                             const std::optional<rtl::TLocalTime>& date = std::nullopt) const {
        return PutFile(path, data, date);
    }
    // Whether it has folders beside the root folder.
    virtual bool HasFolders() const { return false; }
    // Makes the empty folder path, dated as Put dates a file; EFileSystemError where an entry
    // of that name is, and for a file system without folders.
    virtual std::vector<uint8_t>
    MakeFolder(std::string_view path,
               const std::optional<rtl::TLocalTime>& date = std::nullopt) const;
    // Deletes the files paths names, all or none; a folder goes only with everything in it named
    // too.
    virtual std::vector<uint8_t> Delete(std::span<const std::string> paths) const;
    // Gives the file path the name newName in its folder.
    virtual std::vector<uint8_t> Rename(std::string_view path, std::string_view newName) const;

protected:
    virtual std::vector<uint8_t> PutFile(std::string_view path, std::span<const uint8_t> data,
                                         const std::optional<rtl::TLocalTime>& date) const;
};

// The file system of the image, tried in turn, or null when none is recognised. The image may be
// damaged anywhere.
std::unique_ptr<TFileSystem> OpenFileSystem(std::span<const uint8_t> image);

// The messages every file system shares, with %s for the path or the clause.
extern const char* const NoFileMessage;
extern const char* const NoFolderMessage;
extern const char* const DamagedDiskMessage;
extern const char* const ReadOnlyFileSystemMessage;
extern const char* const DiskFullMessage;
extern const char* const NoFoldersMessage;

// Raises EFileSystemError for a change of a damaged or read-only disk; returns when it may
// change.
void CheckChangeable(const TFileSystem& fs);
// A path's parts between '/'; empty parts (a leading, doubled or trailing '/') are dropped.
std::vector<std::string> SplitFilePath(std::string_view path);
