// The disks that MAME's software lists and Logiqx DAT files name, read into one catalog that
// finds a disk image by the size, CRC-32 and SHA-1 of its bytes. Lists come from outside and are
// read as hostile input: nothing a list names is ever fetched, entity expansion is bounded, and a
// malformed list is refused with its file and line.
#pragma once

#include "App_diskimages.h"
#include "Rtl_exceptions.h"

#include <array>
#include <cstdint>
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
    uint32_t Crc = 0;
    bool HasSha1 = false;
    std::array<uint8_t, 20> Sha1{};
};

class TSoftwareCatalog {
public:
    // Reads a MAME software list or a Logiqx DAT file: ESoftwareListError naming the file, and the
    // line where the text is at fault, for anything else.
    void AddFile(const std::string& path);
    // Every list in folder, its subfolders left out, that describes floppy disks: a MAME list
    // with a floppy interface, or a DAT file. Other files are passed over.
    void AddFolder(const std::string& path);
    // A file or a folder.
    void AddPath(const std::string& path);

    const std::vector<std::string>& Lists() const { return FLists; }
    const std::vector<TListedSoftware>& Softwares() const { return FSoftwares; }
    const std::vector<TListedDisk>& Disks() const { return FDisks; }
    // Whether any disk listed has this size: an image of no such size needs no digest.
    bool HasSize(int64_t size) const;

    // The disks listed with exactly these bytes, in list order: the size and CRC-32 must agree,
    // and the SHA-1 too where the list gives one; it is computed only then.
    std::vector<uint32_t> Find(std::span<const uint8_t> bytes) const;

private:
    void Merge(TSoftwareCatalog&& part);
    // Sorts the disks by size and CRC-32 for Find, once the lists are in.
    void Index();

    std::vector<std::string> FLists;
    std::vector<TListedSoftware> FSoftwares;
    std::vector<TListedDisk> FDisks;
    std::vector<int64_t> FSizes;
    std::vector<std::pair<uint64_t, uint32_t>> FByCrc;
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
