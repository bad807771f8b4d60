// The disks that MAME's software lists and Logiqx DAT files name, read into one catalog that
// finds a disk image by the size, CRC-32 and SHA-1 of its bytes. Lists come from outside and are
// read as hostile input: nothing a list names is ever fetched, entity expansion is bounded, and a
// malformed list is left out with a note naming its file and line, so that one bad list does not
// keep the others from identifying.
#pragma once

#include "App_diskimages.h"
#include "Rtl_exceptions.h"

#include <array>
#include <compare>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

RTL_DECLARE_EXCEPTION(ESoftwareListError, rtl::Exception);

// Where MAME's software lists are installed (Debian package mame-data).
extern const char* const MameHashFolder;

struct TListedSoftware {
    // Its list's index in the catalog's Lists().
    uint32_t List = 0;
    // The short name of a MAME list, the game name of a DAT.
    std::string Name;
    std::string Description;
    std::string Year;
    std::string Publisher;
    // The disks it has, for names that tell them apart.
    uint32_t Disks = 0;
};

struct TListedDisk {
    uint32_t Software = 0;
    // Its place among its software's disks, from 1.
    uint32_t Number = 0;
    // A MAME part's name with its part_id ("flop2 (Disk B)"), a DAT rom's name.
    std::string Part;
    // The part_id alone ("Disk B"); empty where there is none.
    std::string PartId;
    int64_t Size = 0;
    // A disk listed with a SHA-1 alone is found by its size and SHA-1; Crc is then 0.
    bool HasCrc = false;
    uint32_t Crc = 0;
    bool HasSha1 = false;
    std::array<uint8_t, 20> Sha1{};
};

class TSoftwareCatalog {
public:
    // Reads a MAME software list or a Logiqx DAT file. One that cannot be read, or is anything
    // else, is left out rather than raised: Notes() names it, with the line where the text is at
    // fault. Only what no list causes, such as running out of memory, still raises.
    void AddFile(const std::string& path);
    // Every list in folder, its subfolders left out, that describes floppy disks: a MAME list
    // with a floppy interface, or a DAT file. A file is told for a list by its first 16 KiB, and
    // any other is passed over unread beyond them, whatever its size. A list that cannot be read,
    // like a folder that cannot, is left out with a note, as by AddFile.
    void AddFolder(const std::string& path);
    // A file or a folder.
    void AddPath(const std::string& path);

    // One sentence for each list or folder left out, naming it, in the order they were met.
    const std::vector<std::string>& Notes() const { return FNotes; }
    // The path each note is about, in the same order: a list's own path, also for a list met in
    // a folder, or a folder's.
    const std::vector<std::string>& LeftOut() const { return FLeftOut; }

    const std::vector<std::string>& Lists() const { return FLists; }
    const std::vector<TListedSoftware>& Softwares() const { return FSoftwares; }
    const std::vector<TListedDisk>& Disks() const { return FDisks; }
    // Whether any disk listed has this size: an image of no such size needs no digest.
    bool HasSize(int64_t size) const;

    // The disks listed with exactly these bytes, in list order: the size, the CRC-32 where the
    // list gives one, and the SHA-1 where it gives one must agree. Each digest is computed only
    // when a disk of that size needs it.
    std::vector<uint32_t> Find(std::span<const uint8_t> bytes) const;

    // The catalog as the bytes an index keeps of it, and back: Restore gives nothing for bytes
    // Serialize did not write (another version, a cut or damaged index), checking every count,
    // length and reference against what is left of the bytes before taking memory for it.
    std::string Serialize() const;
    static std::optional<TSoftwareCatalog> Restore(std::span<const uint8_t> bytes);

private:
    // The order Find looks disks up in: by size, those without a CRC-32 first, so that they are
    // found without one, then by CRC-32, and in list order within each.
    struct TDigestKey {
        int64_t Size = 0;
        bool HasCrc = false;
        uint32_t Crc = 0;
        uint32_t Disk = 0;
        auto operator<=>(const TDigestKey&) const = default;
    };

    // One file's list in a catalog of its own, or the note of why it is left out. From a folder,
    // a file is read whole only when its first bytes tell a list.
    static TSoftwareCatalog ReadList(const std::string& path, bool fromFolder);
    void Merge(TSoftwareCatalog&& part);
    // Sorts the disks by TDigestKey for Find, once the lists are in.
    void Index();

    std::vector<std::string> FLists;
    std::vector<TListedSoftware> FSoftwares;
    std::vector<TListedDisk> FDisks;
    std::vector<std::string> FNotes;
    std::vector<std::string> FLeftOut;
    std::vector<int64_t> FSizes;
    std::vector<TDigestKey> FByDigest;
};

// The disks of catalog an image is: its bytes as a one-image file, the same with its write
// protection cleared (some sets keep images so), and the plain sectors it can be written as, so
// that a disk listed as a dump is known in a container too; and file, the bytes of the file it
// was read from when that was no container. Each disk once, in list order.
std::vector<uint32_t> IdentifyImage(const TSoftwareCatalog& catalog, const TDiskImage& image,
                                    std::span<const uint8_t> file = {});

// The name an image that is the catalog's disk takes, at most 16 bytes of code page 932: the
// title, and for a software of several disks the disk's part_id where it is short ("Disk B"),
// else its number, so that the disks of one software stay apart.
std::string IdentificationName(const TSoftwareCatalog& catalog, uint32_t disk);

// "Title (1985, Publisher)": the description with the year and the publisher the list gives.
std::string DescribeSoftware(const TListedSoftware& software);
