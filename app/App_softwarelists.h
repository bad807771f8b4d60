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
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <memory>
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

struct TCatalogData;

// The softwares or the disks of a catalog, indexed and iterated like a vector of them. Each is
// made from the catalog's bytes when it is asked for, a copy: a catalog read from an index takes
// no memory for the items no command looks at.
template <typename T> class TListedItems {
public:
    class TIterator {
    public:
        using iterator_concept = std::random_access_iterator_tag;
        using iterator_category = std::input_iterator_tag;
        using value_type = T;
        using difference_type = std::ptrdiff_t;
        using reference = T;
        // What -> points into lives as long as the expression.
        struct TArrow {
            T Item;
            const T* operator->() const { return &Item; }
        };

        TIterator() = default;
        T operator*() const { return Item(FData, FIndex); }
        TArrow operator->() const { return {**this}; }
        T operator[](difference_type offset) const { return *(*this + offset); }
        TIterator& operator++() { return *this += 1; }
        TIterator operator++(int) { return std::exchange(*this, *this + 1); }
        TIterator& operator--() { return *this -= 1; }
        TIterator operator--(int) { return std::exchange(*this, *this - 1); }
        TIterator& operator+=(difference_type offset) {
            FIndex = static_cast<size_t>(static_cast<difference_type>(FIndex) + offset);
            return *this;
        }
        TIterator& operator-=(difference_type offset) { return *this += -offset; }
        friend TIterator operator+(TIterator at, difference_type offset) { return at += offset; }
        friend TIterator operator+(difference_type offset, TIterator at) { return at += offset; }
        friend TIterator operator-(TIterator at, difference_type offset) { return at -= offset; }
        friend difference_type operator-(const TIterator& a, const TIterator& b) {
            return static_cast<difference_type>(a.FIndex) - static_cast<difference_type>(b.FIndex);
        }
        friend bool operator==(const TIterator& a, const TIterator& b) {
            return a.FIndex == b.FIndex;
        }
        friend auto operator<=>(const TIterator& a, const TIterator& b) {
            return a.FIndex <=> b.FIndex;
        }

    private:
        friend class TListedItems;
        TIterator(const TCatalogData* data, size_t index) : FData(data), FIndex(index) {}
        const TCatalogData* FData = nullptr;
        size_t FIndex = 0;
    };

    size_t size() const { return FCount; }
    bool empty() const { return FCount == 0; }
    // index below size(), as a vector's.
    T operator[](size_t index) const { return Item(FData, index); }
    TIterator begin() const { return {FData, 0}; }
    TIterator end() const { return {FData, FCount}; }

private:
    friend class TSoftwareCatalog;
    TListedItems() = default;
    TListedItems(const TCatalogData* data, size_t count) : FData(data), FCount(count) {}
    static T Item(const TCatalogData* data, size_t index);

    const TCatalogData* FData = nullptr;
    size_t FCount = 0;
};

template <> TListedSoftware TListedItems<TListedSoftware>::Item(const TCatalogData*, size_t);
template <> TListedDisk TListedItems<TListedDisk>::Item(const TCatalogData*, size_t);

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
    const TListedItems<TListedSoftware>& Softwares() const { return FSoftwares; }
    const TListedItems<TListedDisk>& Disks() const { return FDisks; }
    // Whether any disk listed has this size: an image of no such size needs no digest.
    bool HasSize(int64_t size) const;

    // The disks listed with exactly these bytes, in list order: the size, the CRC-32 where the
    // list gives one, and the SHA-1 where it gives one must agree. Each digest is computed only
    // when a disk of that size needs it.
    std::vector<uint32_t> Find(std::span<const uint8_t> bytes) const;

    // The catalog as the bytes an index keeps of it, and back: Restore gives nothing for bytes
    // Serialize did not write (another version or byte order, a cut or damaged index), checking
    // every count, length and reference against what is left of the bytes before it reads
    // through them. The bytes are what the catalog reads its items from: Restore copies them,
    // and with owner, which keeps them alive, takes them where they are instead.
    std::string Serialize() const;
    static std::optional<TSoftwareCatalog> Restore(std::span<const uint8_t> bytes);
    static std::optional<TSoftwareCatalog> Restore(std::span<const uint8_t> bytes,
                                                   std::shared_ptr<const void> owner);

private:
    std::shared_ptr<const TCatalogData> FData;
    std::vector<std::string> FLists;
    std::vector<std::string> FNotes;
    std::vector<std::string> FLeftOut;
    TListedItems<TListedSoftware> FSoftwares;
    TListedItems<TListedDisk> FDisks;
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
