#include "App_fatfs.h"

#include "App_fstoolkit.h"

#include "Rtl_bytes.h"
#include "Rtl_codepage.h"
#include "Rtl_exceptions.h"
#include "Rtl_texts.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace {

constexpr int EntrySize = 32;
constexpr uint8_t ReadOnlyAttribute = 0x01;
constexpr uint8_t HiddenAttribute = 0x02;
constexpr uint8_t SystemAttribute = 0x04;
constexpr uint8_t LabelAttribute = 0x08;
constexpr uint8_t FolderAttribute = 0x10;
constexpr uint8_t ArchiveAttribute = 0x20;
// VFAT's long-name entries carry these four attributes together, which no file has.
constexpr uint8_t LongNameAttributes = 0x0F;
constexpr uint8_t DeletedMark = 0xE5;
// A name beginning with the byte of the deleted mark (a kanji's lead byte) keeps 0x05 there.
constexpr uint8_t StoredE5 = 0x05;
constexpr int FirstEndMark = 0xFF8;
constexpr uint16_t EndOfChain = 0xFFF;
// A DOS path holds at most 64 bytes, two a level at the least: a deeper folder is a loop's.
constexpr int MaxDepth = 32;
// A long name of 255 characters takes 20 entries.
constexpr int MaxLongNameEntries = 20;
// Where folders are named by their first cluster: the root folder, and a folder the scan of the
// disk did not follow (one that loops, or whose clusters another holds), which shows nothing.
constexpr int RootFolder = -1;
constexpr int UnfollowedFolder = -2;

uint16_t GetBe16(const uint8_t* bytes) {
    return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
}

// The parameters of a FAT12 disk, as its boot sector or its medium gives them.
struct TLayout {
    int Bps = 0;
    int Spc = 0;
    int Reserved = 0;
    int Fats = 0;
    int RootEntries = 0;
    int Total = 0;
    int Spf = 0;
    int Spt = 0;
    int Heads = 0;
    uint8_t Media = 0;
    // Human68k's names: 18 bytes before the dot, the ten after the eighth in the entry's
    // reserved bytes.
    bool Human68k = false;

    int RootFirst() const { return Reserved + Fats * Spf; }
    int RootSectors() const { return (RootEntries * EntrySize + Bps - 1) / Bps; }
    int DataFirst() const { return RootFirst() + RootSectors(); }
    int LastCluster() const { return (Total - DataFirst()) / Spc + 1; }
    int ClusterBytes() const { return Bps * Spc; }
};

// The media old boot sectors without parameters stand for, formatted as their DOS formats them.
struct TStandardFormat {
    uint8_t Media;
    int Bps, Spt, Heads, Cylinders, Spc, RootEntries, Spf, Total;
};
constexpr TStandardFormat StandardFormats[] = {
    // The PC-98's 2HD, and Human68k's.
    {0xFE, 1024, 8, 2, 77, 1, 192, 2, 1232},
    {0xFB, 512, 8, 2, 80, 2, 112, 2, 1280},
    {0xF9, 512, 9, 2, 80, 2, 112, 3, 1440},
    // MSX-DOS's single-sided disk.
    {0xF8, 512, 9, 1, 80, 2, 112, 2, 720},
};

bool PowerOfTwo(int value) {
    return value > 0 && (value & (value - 1)) == 0;
}

// Whether the parameters make a FAT12 file system at all: checked before anything is computed
// from them.
bool Consistent(const TLayout& l) {
    if (!PowerOfTwo(l.Bps) || l.Bps < 128 || l.Bps > 4096 || !PowerOfTwo(l.Spc) || l.Spc > 128)
        return false;
    if (l.Reserved < 1 || l.Fats < 1 || l.Fats > 4 || l.RootEntries < 1 || l.Spf < 1)
        return false;
    if ((l.Media != 0xF0 && l.Media < 0xF8) || l.Spt < 1 || l.Spt > 255 || l.Heads < 1 ||
        l.Heads > 2 || l.Total < 1 || l.Total > 0xFFFF)
        return false;
    if (l.DataFirst() >= l.Total)
        return false;
    const int clusters = l.LastCluster() - 1;
    // More clusters than 4,084 make a FAT16; the FAT must hold an entry for each.
    return clusters >= 1 && clusters <= 4084 &&
           (int64_t{clusters + 2} * 3 + 1) / 2 <= int64_t{l.Spf} * l.Bps;
}

// Logical sector n found as the disk's DOS finds it; nothing when the disk lacks it or its size
// is not the layout's.
std::span<const uint8_t> LogicalSector(const TDiskSectors& disk, const TLayout& l, int n) {
    if (n < 0 || n >= l.Total)
        return {};
    const int track = n / l.Spt;
    const std::span<const uint8_t> data =
        disk.Read(track / l.Heads, track % l.Heads, n % l.Spt + 1);
    return data.size() == static_cast<size_t>(l.Bps) ? data : std::span<const uint8_t>{};
}

bool FitsDisk(const TDiskSectors& disk, const TLayout& l) {
    if (!Consistent(l) || int64_t{disk.Cylinders()} * l.Heads * l.Spt < l.Total)
        return false;
    for (int n = 0; n < l.DataFirst(); ++n)
        if (LogicalSector(disk, l, n).empty())
            return false;
    return true;
}

// Whether a FAT copy begins as FAT12's do: the media byte, then 0xFF 0xFF. Without a media byte
// to match, any media byte.
bool FatBegins(const TDiskSectors& disk, const TLayout& l, int copy, std::optional<uint8_t> media) {
    const std::span<const uint8_t> first = LogicalSector(disk, l, l.Reserved + copy * l.Spf);
    return first.size() >= 3 && (media ? first[0] == *media : first[0] >= 0xF0) &&
           first[1] == 0xFF && first[2] == 0xFF;
}

TLayout DosParameters(std::span<const uint8_t> boot, const TDiskSectors& disk, int spt) {
    TLayout l;
    l.Bps = rtl::GetLe16(&boot[0x0B]);
    l.Spc = boot[0x0D];
    l.Reserved = rtl::GetLe16(&boot[0x0E]);
    l.Fats = boot[0x10];
    l.RootEntries = rtl::GetLe16(&boot[0x11]);
    const uint32_t total =
        (boot[0x13] | boot[0x14]) != 0 ? rtl::GetLe16(&boot[0x13]) : rtl::GetLe32(&boot[0x20]);
    l.Total = static_cast<int>(std::min<uint32_t>(total, 0x10000));
    l.Media = boot[0x15];
    l.Spf = rtl::GetLe16(&boot[0x16]);
    // The boot sector's geometry where the disk has it, else the disk's own.
    const int bpbSpt = rtl::GetLe16(&boot[0x18]);
    const int bpbHeads = rtl::GetLe16(&boot[0x1A]);
    l.Spt = bpbSpt >= 1 && bpbSpt <= 255 && disk.Read(0, 0, bpbSpt).size() == boot.size() ? bpbSpt
                                                                                          : spt;
    l.Heads = bpbHeads == 1 || (bpbHeads == 2 && disk.Heads() == 2) ? bpbHeads : disk.Heads();
    return l;
}

// Human68k's own block after its 68000 branch and 16 bytes of name, big-endian; it gives no
// geometry, which is the disk's.
TLayout HumanParameters(std::span<const uint8_t> boot, const TDiskSectors& disk, int spt) {
    TLayout l;
    l.Bps = GetBe16(&boot[0x12]);
    l.Spc = boot[0x14];
    l.Fats = boot[0x15];
    l.Reserved = GetBe16(&boot[0x16]);
    l.RootEntries = GetBe16(&boot[0x18]);
    l.Total = GetBe16(&boot[0x1A]);
    l.Media = boot[0x1C];
    l.Spf = boot[0x1D];
    l.Spt = spt;
    l.Heads = disk.Heads();
    return l;
}

std::optional<TLayout> FindLayout(const TDiskSectors& disk) {
    const std::span<const uint8_t> boot = disk.Read(0, 0, 1);
    if (boot.size() < 128)
        return {};
    int spt = 0;
    while (spt < 255 && disk.Read(0, 0, spt + 1).size() == boot.size())
        ++spt;
    // A 68000's branch: Human68k's boot sector, with its own block or, from version 3, DOS's.
    const bool human68k = boot[0] == 0x60;
    std::vector<TLayout> candidates;
    if (human68k)
        candidates.push_back(HumanParameters(boot, disk, spt));
    candidates.push_back(DosParameters(boot, disk, spt));
    for (TLayout& l : candidates) {
        l.Human68k = human68k;
        if (FitsDisk(disk, l) && FatBegins(disk, l, 0, {}))
            return l;
    }
    for (const TStandardFormat& f : StandardFormats) {
        if (static_cast<size_t>(f.Bps) != boot.size() || f.Spt != spt || f.Heads != disk.Heads() ||
            disk.Cylinders() < f.Cylinders)
            continue;
        TLayout l{f.Bps, f.Spc, 1,       2,       f.RootEntries, f.Total,
                  f.Spf, f.Spt, f.Heads, f.Media, human68k};
        if (FitsDisk(disk, l) && FatBegins(disk, l, 0, f.Media) && FatBegins(disk, l, 1, f.Media))
            return l;
    }
    return {};
}

int FatEntry(const std::vector<uint8_t>& fat, int c) {
    const size_t at = static_cast<size_t>(c) + static_cast<size_t>(c) / 2;
    const int pair = fat[at] | fat[at + 1] << 8;
    return c % 2 == 0 ? pair & 0xFFF : pair >> 4;
}

void SetFatEntry(std::vector<uint8_t>& fat, int c, uint16_t value) {
    const size_t at = static_cast<size_t>(c) + static_cast<size_t>(c) / 2;
    if (c % 2 == 0) {
        fat[at] = static_cast<uint8_t>(value);
        fat[at + 1] = static_cast<uint8_t>((fat[at + 1] & 0xF0) | (value >> 8 & 0x0F));
    } else {
        fat[at] = static_cast<uint8_t>((fat[at] & 0x0F) | (value << 4 & 0xF0));
        fat[at + 1] = static_cast<uint8_t>(value >> 4);
    }
}

std::string TrimmedRight(std::string text) {
    while (!text.empty() && text.back() == ' ')
        text.pop_back();
    return text;
}

uint8_t LongNameChecksum(const uint8_t* shortName) {
    uint8_t sum = 0;
    for (int i = 0; i < 11; ++i)
        sum = static_cast<uint8_t>(((sum & 1) << 7) + (sum >> 1) + shortName[i]);
    return sum;
}

// A date and time as DOS keeps them, the year held to the 1980–2107 the entry can say.
std::pair<uint16_t, uint16_t> DosStamp(const rtl::TLocalTime& at) {
    const int year = std::clamp(at.Year, 1980, 2107);
    const auto date = static_cast<uint16_t>((year - 1980) << 9 | at.Month << 5 | at.Day);
    const auto time = static_cast<uint16_t>(at.Hour << 11 | at.Minute << 5 | at.Second / 2);
    return {date, time};
}

// The entry's date, where its fields name one.
std::optional<rtl::TLocalTime> DosDate(uint16_t date, uint16_t time) {
    const int month = date >> 5 & 15;
    const int day = date & 31;
    if (month < 1 || month > 12 || day < 1 || (time >> 11) > 23 || (time >> 5 & 63) > 59 ||
        (time & 31) > 29)
        return std::nullopt;
    return rtl::TLocalTime{1980 + (date >> 9), month,          day,
                           time >> 11,         time >> 5 & 63, (time & 31) * 2};
}

// The one-byte characters a FAT name may hold.
bool FatAllows(uint8_t byte) {
    return byte != ' ' && byte != 0x80 && byte != 0xA0 && byte < 0xFD &&
           std::strchr("\"*+,/:;<=>?[\\]|", byte) == nullptr;
}

class TFat12 final : public TFileSystem {
public:
    TFat12(TDiskSectors disk, const TLayout& layout);

    std::string Name() const override { return "FAT12"; }
    int64_t FileCount() const override { return FFileCount; }
    int64_t FreeBytes() const override { return FreeClusters(FFat) * FLayout.ClusterBytes(); }
    std::string Damage() const override { return FDamage.Text(); }
    std::vector<TFileEntry> List(std::string_view folder) const override;
    std::vector<uint8_t> Read(std::string_view path) const override;
    bool CanWrite() const override { return true; }
    std::string FittingName(std::string_view name) const override {
        const TNameRule rule{FLayout.Human68k ? 18u : 8u, 3, &FatAllows, true, true};
        return FitName(name, rule);
    }
    std::vector<uint8_t> PutFile(std::string_view path, std::span<const uint8_t> data,
                                 const std::optional<rtl::TLocalTime>& date) const override;
    bool HasFolders() const override { return true; }
    std::vector<uint8_t> MakeFolder(std::string_view path,
                                    const std::optional<rtl::TLocalTime>& date) const override;
    std::vector<uint8_t> Delete(std::span<const std::string> paths) const override;
    std::vector<uint8_t> Rename(std::string_view path, std::string_view newName) const override;

private:
    // A folder's 32-byte slots in order, and its live entries up to the end mark.
    struct TSlot {
        int Sector = 0;
        int Offset = 0;
        std::array<uint8_t, EntrySize> Raw{};
    };
    struct TEntry {
        size_t Slot = 0;
        std::string Name;
        bool Folder = false;
        int First = 0;
        int64_t Size = 0;
    };
    struct TFolder {
        int First = RootFolder;
        std::vector<int> Clusters;
        std::vector<TSlot> Slots;
        std::vector<TEntry> Entries;
    };
    // A name as an entry holds it: 8 + 3 bytes, and Human68k's ten more.
    struct TEntryName {
        std::array<uint8_t, 11> Short{};
        std::array<uint8_t, 10> More{};
        std::string Text;
    };
    // An entry a path names, with its folder.
    struct TFound {
        TFolder Folder;
        TEntry Entry;
        std::string Path;
    };
    struct TScan {
        explicit TScan(int clusters)
            : Owners(clusters), FolderClusters(static_cast<size_t>(clusters)) {}
        TClusterOwners Owners;
        // The clusters of the folders followed: no cluster's entries are read twice.
        std::vector<bool> FolderClusters;
        std::vector<int> Ancestors;
    };
    class TPlan;

    std::span<const uint8_t> Sector(int n) const { return LogicalSector(FDisk, FLayout, n); }
    int ClusterSector(int c) const { return FLayout.DataFirst() + (c - 2) * FLayout.Spc; }
    int64_t FreeClusters(const std::vector<uint16_t>& fat) const;
    TChain Walk(int first) const;
    std::string NameOf(const uint8_t* raw) const;
    TFolder ReadFolder(int folder) const;
    // The folder the folder entry of listing leads to.
    int Into(const TFolder& listing, const TEntry& entry) const;
    // The folder the parts name; EFileSystemError when there is none.
    int FolderOf(std::span<const std::string> parts) const;
    const TEntry* Find(const TFolder& folder, std::string_view name) const;
    // The entry path names; EFileSystemError when there is none.
    TFound FindPath(std::string_view path) const;
    TEntryName EncodeName(std::string_view name) const;
    // The slot a new entry of folder can take; nothing when every one is taken.
    static std::optional<size_t> FreeSlot(const TFolder& folder);
    // How many clusters an entry added to folder in slot takes beyond its own: one for a folder
    // that grows. Refuses a full root folder.
    int64_t SlotClusters(const TFolder& folder, std::optional<size_t> slot) const;
    // The place of the entry in slot, or at the start of the cleared cluster the folder grows
    // by: written into plan.
    TSlot TakeSlot(TPlan& plan, const TFolder& folder, std::optional<size_t> slot) const;
    // Writes the 32 bytes of an entry.
    static void WriteEntry(uint8_t* entry, const TEntryName& name, uint8_t attributes,
                           const rtl::TLocalTime& date, int first, int64_t size, bool human68k);

    void ScanFolder(TScan& scan, const TFolder& listing, const std::string& path, int depth);

    TDiskSectors FDisk;
    TLayout FLayout;
    // The first FAT copy's bytes and entries, 0 to the last cluster.
    std::vector<uint8_t> FFatBytes;
    std::vector<uint16_t> FFat;
    // The clusters whose sectors are all on the disk, from 2: the others hold nothing.
    TClusterSpace FSpace;
    TDamage FDamage;
    int64_t FFileCount = 0;
    // The folders the scan followed, by first cluster, with the clusters it read of each, and
    // the places of the entries it followed them from: a folder is listed by one path only.
    std::map<int, std::vector<int>> FFolders;
    std::vector<std::pair<int, int>> FFollowed;
};

// A change planned in full before the image's copy is written: the FAT's new entries and the new
// bytes of the sectors it touches.
class TFat12::TPlan {
public:
    explicit TPlan(const TFat12& fs) : Fat(fs.FFat), FFs(fs) {}

    std::vector<uint16_t> Fat;

    uint8_t* Bytes(int n) {
        auto [at, added] = FSectors.try_emplace(n);
        if (added) {
            const std::span<const uint8_t> data = FFs.Sector(n);
            at->second.assign(data.begin(), data.end());
        }
        return at->second.data();
    }
    void Free(int first) {
        for (const int c : FFs.Walk(first).Clusters)
            Fat[static_cast<size_t>(c)] = 0;
    }
    // count free clusters from the lowest, chained; the caller has counted them.
    std::vector<int> Allocate(int64_t count) {
        std::vector<int> clusters;
        for (int c = 2;
             c <= FFs.FLayout.LastCluster() && static_cast<int64_t>(clusters.size()) < count; ++c)
            if (Fat[static_cast<size_t>(c)] == 0 && FFs.FSpace.Holds(c))
                clusters.push_back(c);
        for (size_t i = 0; i < clusters.size(); ++i)
            Fat[static_cast<size_t>(clusters[i])] =
                i + 1 < clusters.size() ? static_cast<uint16_t>(clusters[i + 1]) : EndOfChain;
        return clusters;
    }
    // Fills the cluster's sectors with data from offset, zeros past its end.
    void WriteCluster(int c, std::span<const uint8_t> data, size_t offset) {
        const auto bps = static_cast<size_t>(FFs.FLayout.Bps);
        for (int s = 0; s < FFs.FLayout.Spc; ++s, offset += bps) {
            std::vector<uint8_t>& sector = FSectors[FFs.ClusterSector(c) + s];
            sector.assign(bps, 0);
            if (offset < data.size())
                std::memcpy(sector.data(), data.data() + offset,
                            std::min(bps, data.size() - offset));
        }
    }
    // Marks the entry at slot deleted, and the long-name entries before it that are its.
    void DeleteEntry(const TFolder& folder, size_t slot) {
        const TSlot& entry = folder.Slots[slot];
        const uint8_t checksum = LongNameChecksum(entry.Raw.data());
        Bytes(entry.Sector)[entry.Offset] = DeletedMark;
        for (size_t i = slot, n = 0; i > 0 && n < MaxLongNameEntries; --i, ++n) {
            const TSlot& part = folder.Slots[i - 1];
            if ((part.Raw[11] & 0x3F) != LongNameAttributes || part.Raw[0] == DeletedMark ||
                part.Raw[0] == 0 || part.Raw[13] != checksum)
                break;
            Bytes(part.Sector)[part.Offset] = DeletedMark;
            // The first of a long name's entries, in the folder's order, is marked its last.
            if (part.Raw[0] & 0x40)
                break;
        }
    }

    std::vector<uint8_t> Commit() const {
        const TLayout& l = FFs.FLayout;
        const std::span<const uint8_t> image = FFs.FDisk.Image();
        std::vector<uint8_t> copy(image.begin(), image.end());
        const auto put = [&](int n, const uint8_t* bytes) {
            const int track = n / l.Spt;
            const std::span<uint8_t> target =
                FFs.FDisk.Write(copy, track / l.Heads, track % l.Heads, n % l.Spt + 1);
            std::memcpy(target.data(), bytes, std::min(target.size(), static_cast<size_t>(l.Bps)));
        };
        for (const auto& [n, bytes] : FSectors)
            if (bytes.size() == static_cast<size_t>(l.Bps))
                put(n, bytes.data());
        std::vector<uint8_t> fat = FFs.FFatBytes;
        for (int c = 2; c <= l.LastCluster(); ++c)
            SetFatEntry(fat, c, Fat[static_cast<size_t>(c)]);
        for (int copyIndex = 0; copyIndex < l.Fats; ++copyIndex)
            for (int s = 0; s < l.Spf; ++s)
                put(l.Reserved + copyIndex * l.Spf + s,
                    fat.data() + static_cast<size_t>(s) * l.Bps);
        return copy;
    }

private:
    const TFat12& FFs;
    std::map<int, std::vector<uint8_t>> FSectors;
};

TFat12::TFat12(TDiskSectors disk, const TLayout& layout) : FDisk(std::move(disk)), FLayout(layout) {
    const int last = FLayout.LastCluster();
    for (int s = 0; s < FLayout.Spf; ++s) {
        const std::span<const uint8_t> data = Sector(FLayout.Reserved + s);
        FFatBytes.insert(FFatBytes.end(), data.begin(), data.end());
    }
    FFat.resize(static_cast<size_t>(last) + 1);
    FSpace.Usable.resize(static_cast<size_t>(last) + 1);
    for (int c = 0; c <= last; ++c) {
        FFat[static_cast<size_t>(c)] = static_cast<uint16_t>(FatEntry(FFatBytes, c));
        bool usable = c >= 2;
        for (int s = 0; usable && s < FLayout.Spc; ++s)
            usable = !Sector(ClusterSector(c) + s).empty();
        FSpace.Usable[static_cast<size_t>(c)] = usable;
    }
    TScan scan(last + 1);
    ScanFolder(scan, ReadFolder(RootFolder), "", 0);
    std::sort(FFollowed.begin(), FFollowed.end());
}

int64_t TFat12::FreeClusters(const std::vector<uint16_t>& fat) const {
    int64_t count = 0;
    for (int c = 2; c <= FLayout.LastCluster(); ++c)
        count += fat[static_cast<size_t>(c)] == 0 && FSpace.Holds(c) ? 1 : 0;
    return count;
}

TChain TFat12::Walk(int first) const {
    // An entry without clusters: an empty file.
    if (first == 0)
        return {};
    return WalkChain(FSpace, first, [&](int c) {
        const int next = FFat[static_cast<size_t>(c)];
        return next >= FirstEndMark ? TLink::End(0) : TLink::Next(next);
    });
}

std::string TFat12::NameOf(const uint8_t* raw) const {
    std::string base(reinterpret_cast<const char*>(raw), 8);
    if (FLayout.Human68k)
        for (int i = 12; i < 22 && raw[i] != 0; ++i)
            base += static_cast<char>(raw[i]);
    if (raw[0] == StoredE5)
        base[0] = static_cast<char>(DeletedMark);
    const std::string extension =
        TrimmedRight(std::string(reinterpret_cast<const char*>(raw) + 8, 3));
    base = TrimmedRight(std::move(base));
    return ListedName(extension.empty() ? base : base + "." + extension);
}

TFat12::TFolder TFat12::ReadFolder(int folder) const {
    TFolder result;
    result.First = folder;
    std::vector<int> sectors;
    size_t limit = SIZE_MAX;
    if (folder == RootFolder) {
        for (int s = 0; s < FLayout.RootSectors(); ++s)
            sectors.push_back(FLayout.RootFirst() + s);
        limit = static_cast<size_t>(FLayout.RootEntries);
    } else if (const auto followed = FFolders.find(folder); followed != FFolders.end()) {
        result.Clusters = followed->second;
        for (const int c : result.Clusters)
            for (int s = 0; s < FLayout.Spc; ++s)
                sectors.push_back(ClusterSector(c) + s);
    }
    for (const int n : sectors) {
        const std::span<const uint8_t> data = Sector(n);
        for (size_t offset = 0; offset + EntrySize <= data.size() && result.Slots.size() < limit;
             offset += EntrySize) {
            TSlot slot{n, static_cast<int>(offset), {}};
            std::memcpy(slot.Raw.data(), data.data() + offset, EntrySize);
            result.Slots.push_back(slot);
        }
    }
    for (size_t i = 0; i < result.Slots.size(); ++i) {
        const uint8_t* raw = result.Slots[i].Raw.data();
        if (raw[0] == 0)
            break;
        // "." and "..", which name the folder and its parent, are not its entries; other names
        // that begin with a dot are.
        const std::string_view name(reinterpret_cast<const char*>(raw), 11);
        if (raw[0] == DeletedMark || name == ".          " || name == "..         " ||
            (raw[11] & 0x3F) == LongNameAttributes || (raw[11] & LabelAttribute) != 0)
            continue;
        result.Entries.push_back({i, NameOf(raw), (raw[11] & FolderAttribute) != 0,
                                  rtl::GetLe16(raw + 26), rtl::GetLe32(raw + 28)});
    }
    return result;
}

const TFat12::TEntry* TFat12::Find(const TFolder& folder, std::string_view name) const {
    return FindEntry(std::span<const TEntry>(folder.Entries), name, TNameCase::Folded,
                     [](const TEntry& entry) -> const std::string& { return entry.Name; });
}

int TFat12::Into(const TFolder& listing, const TEntry& entry) const {
    const TSlot& slot = listing.Slots[entry.Slot];
    return std::binary_search(FFollowed.begin(), FFollowed.end(),
                              std::pair{slot.Sector, slot.Offset})
               ? entry.First
               : UnfollowedFolder;
}

int TFat12::FolderOf(std::span<const std::string> parts) const {
    return FindFolder(parts, RootFolder, [&](int folder, const std::string& name) {
        const TFolder listing = ReadFolder(folder);
        const TEntry* entry = Find(listing, name);
        return entry != nullptr && entry->Folder ? std::optional<int>(Into(listing, *entry))
                                                 : std::nullopt;
    });
}

TFat12::TFound TFat12::FindPath(std::string_view path) const {
    const TPathParts parts = SplitPath(path);
    TFolder contents = ReadFolder(FolderOf(parts.Folders));
    const TEntry* entry = Find(contents, parts.Name);
    if (entry == nullptr)
        RefuseMissingFile(path);
    TEntry copy = *entry;
    std::string found = JoinPath(parts.Folder(), entry->Name);
    return TFound{std::move(contents), std::move(copy), std::move(found)};
}

void TFat12::ScanFolder(TScan& scan, const TFolder& listing, const std::string& path, int depth) {
    const int64_t clusterBytes = FLayout.ClusterBytes();
    for (const TEntry& entry : listing.Entries) {
        const std::string entryPath = path.empty() ? entry.Name : path + "/" + entry.Name;
        if (!entry.Folder) {
            ++FFileCount;
            // Once the disk is known damaged its files are only counted: every walk before that
            // claims clusters no other has, so the scan takes time in the disk's size.
            if (FDamage.Found())
                continue;
            const TChain chain = Walk(entry.First);
            FDamage.Note(ChainDamage(chain, entryPath));
            if (!chain.Sound())
                continue;
            if (entry.Size > static_cast<int64_t>(chain.Clusters.size()) * clusterBytes)
                FDamage.Note(rtl::Format(rtl::Tr("the size of \"%s\" is larger than its "
                                                 "allocation chain holds"),
                                         NameInMessage(entryPath).c_str()));
            FDamage.Note(scan.Owners.Claim(chain.Clusters, entryPath));
            continue;
        }
        if (entry.First == 0 || std::find(scan.Ancestors.begin(), scan.Ancestors.end(),
                                          entry.First) != scan.Ancestors.end()) {
            FDamage.Note(
                rtl::Format(rtl::Tr("the folder \"%s\" loops back to a folder that holds it"),
                            NameInMessage(entryPath).c_str()));
            continue;
        }
        if (depth >= MaxDepth) {
            FDamage.Note(rtl::Format(rtl::Tr("the folders nest deeper than %d levels at \"%s\""),
                                     MaxDepth, NameInMessage(entryPath).c_str()));
            continue;
        }
        if (!FDamage.Found()) {
            const TChain chain = Walk(entry.First);
            FDamage.Note(ChainDamage(chain, entryPath));
            FDamage.Note(scan.Owners.Claim(chain.Clusters, entryPath));
        }
        // The folder is followed through the clusters no folder followed before it.
        std::vector<int> clusters;
        for (int c = entry.First; FSpace.Holds(c) && !scan.FolderClusters[static_cast<size_t>(c)];
             c = FFat[static_cast<size_t>(c)]) {
            scan.FolderClusters[static_cast<size_t>(c)] = true;
            clusters.push_back(c);
        }
        if (clusters.empty() || clusters.front() != entry.First)
            continue;
        FFolders[entry.First] = std::move(clusters);
        const TSlot& slot = listing.Slots[entry.Slot];
        FFollowed.emplace_back(slot.Sector, slot.Offset);
        scan.Ancestors.push_back(entry.First);
        ScanFolder(scan, ReadFolder(entry.First), entryPath, depth + 1);
        scan.Ancestors.pop_back();
    }
}

std::vector<TFileEntry> TFat12::List(std::string_view folder) const {
    const TFolder listing = ReadFolder(FolderOf(SplitFilePath(folder)));
    std::vector<TFileEntry> entries;
    for (const TEntry& entry : listing.Entries) {
        const uint8_t* raw = listing.Slots[entry.Slot].Raw.data();
        const uint16_t time = rtl::GetLe16(raw + 22);
        const uint16_t date = rtl::GetLe16(raw + 24);
        std::string details = rtl::Format("%04d-%02d-%02d %02d:%02d", 1980 + (date >> 9),
                                          date >> 5 & 15, date & 31, time >> 11, time >> 5 & 63);
        for (const auto& [bit, word] :
             {std::pair{ReadOnlyAttribute, "read-only"}, std::pair{HiddenAttribute, "hidden"},
              std::pair{SystemAttribute, "system"}, std::pair{ArchiveAttribute, "archive"}})
            if ((raw[11] & bit) != 0)
                AppendDetail(details, word);
        entries.push_back({entry.Name, entry.Folder ? 0 : entry.Size, entry.Folder,
                           entry.Folder ? "folder" : "file", std::move(details),
                           DosDate(date, time)});
    }
    return entries;
}

std::vector<uint8_t> TFat12::Read(std::string_view path) const {
    const TFound found = FindPath(path);
    if (found.Entry.Folder)
        RefuseMissingFile(path);
    const TChain chain = Walk(found.Entry.First);
    const int64_t size = found.Entry.Size;
    if (!chain.Sound() ||
        size > static_cast<int64_t>(chain.Clusters.size()) * FLayout.ClusterBytes())
        RefuseBrokenChain(found.Path);
    std::vector<uint8_t> bytes;
    bytes.reserve(static_cast<size_t>(size));
    for (const int c : chain.Clusters)
        for (int s = 0; s < FLayout.Spc && static_cast<int64_t>(bytes.size()) < size; ++s) {
            const std::span<const uint8_t> data = Sector(ClusterSector(c) + s);
            const size_t take = std::min(data.size(), static_cast<size_t>(size) - bytes.size());
            bytes.insert(bytes.end(), data.begin(), data.begin() + static_cast<ptrdiff_t>(take));
        }
    return bytes;
}

TFat12::TEntryName TFat12::EncodeName(std::string_view name) const {
    const std::string shown = NameInMessage(name);
    const auto refuse = [](const std::string& message) { throw ENameError(message); };
    std::string upper;
    size_t dot = std::string::npos;
    for (size_t i = 0; i < name.size();) {
        const size_t length = rtl::CharLength(name, i);
        const auto byte = static_cast<uint8_t>(name[i]);
        if (length == 2) {
            upper += name.substr(i, 2);
            i += 2;
            continue;
        }
        if (byte < 0x20 || byte == 0x7F)
            refuse(rtl::Format(rtl::Tr("The name \"%s\" does not fit a FAT12 disk: a name cannot "
                                       "hold control characters."),
                               shown.c_str()));
        if (byte == ' ')
            refuse(rtl::Format(
                rtl::Tr("The name \"%s\" does not fit a FAT12 disk: a name cannot hold spaces."),
                shown.c_str()));
        if (std::strchr("\"*+,/:;<=>?[\\]|", byte) != nullptr) {
            const char character[2] = {static_cast<char>(byte), 0};
            refuse(rtl::Format(
                rtl::Tr("The name \"%s\" does not fit a FAT12 disk: a name cannot hold \"%s\"."),
                shown.c_str(), character));
        }
        // Bytes code page 932 gives no character, and a first byte without its second.
        if (byte == 0x80 || byte == 0xA0 || byte >= 0xFD || rtl::IsDBCSLeadByte(byte))
            refuse(rtl::Format(rtl::Tr("The name \"%s\" does not fit a FAT12 disk: a name cannot "
                                       "hold the byte 0x%02X."),
                               shown.c_str(), byte));
        if (byte == '.') {
            if (dot != std::string::npos)
                refuse(rtl::Format(
                    rtl::Tr(
                        "The name \"%s\" does not fit a FAT12 disk: a name has one dot at most."),
                    shown.c_str()));
            dot = upper.size();
        }
        upper += static_cast<char>(byte >= 'a' && byte <= 'z' ? byte - 'a' + 'A' : byte);
        ++i;
    }
    const std::string base = upper.substr(0, dot);
    const std::string extension = dot == std::string::npos ? "" : upper.substr(dot + 1);
    if (base.empty())
        refuse(rtl::Format(
            rtl::Tr("The name \"%s\" does not fit a FAT12 disk: it needs a name before the dot."),
            shown.c_str()));
    const size_t longest = FLayout.Human68k ? 18 : 8;
    if (base.size() > longest || extension.size() > 3)
        refuse(rtl::Format(rtl::Tr("The name \"%s\" does not fit a FAT12 disk: at most %d bytes "
                                   "and 3 after the dot."),
                           shown.c_str(), static_cast<int>(longest)));
    TEntryName result;
    result.Short.fill(' ');
    for (size_t i = 0; i < base.size(); ++i)
        (i < 8 ? result.Short[i] : result.More[i - 8]) = static_cast<uint8_t>(base[i]);
    for (size_t i = 0; i < extension.size(); ++i)
        result.Short[8 + i] = static_cast<uint8_t>(extension[i]);
    if (result.Short[0] == DeletedMark)
        result.Short[0] = StoredE5;
    result.Text = extension.empty() ? base : base + "." + extension;
    return result;
}

std::optional<size_t> TFat12::FreeSlot(const TFolder& folder) {
    for (size_t i = 0; i < folder.Slots.size(); ++i)
        if (folder.Slots[i].Raw[0] == 0 || folder.Slots[i].Raw[0] == DeletedMark)
            return i;
    return std::nullopt;
}

int64_t TFat12::SlotClusters(const TFolder& folder, std::optional<size_t> slot) const {
    if (!slot && folder.First == RootFolder)
        throw EFileSystemError(rtl::Format(
            rtl::Tr("The root folder of the disk is full: it holds at most %d entries."),
            FLayout.RootEntries));
    return slot ? 0 : 1;
}

TFat12::TSlot TFat12::TakeSlot(TPlan& plan, const TFolder& folder,
                               std::optional<size_t> slot) const {
    if (slot) {
        const TSlot& place = folder.Slots[*slot];
        // Past an end mark every slot counts as free: the next one becomes the end.
        if (place.Raw[0] == 0 && *slot + 1 < folder.Slots.size() &&
            folder.Slots[*slot + 1].Raw[0] != 0) {
            const TSlot& next = folder.Slots[*slot + 1];
            plan.Bytes(next.Sector)[next.Offset] = 0;
        }
        return place;
    }
    // The folder grows by a cleared cluster at the end of its chain, which a sound disk's folder
    // has.
    const std::vector<int>& chain = folder.Clusters;
    const std::vector<int> grown = plan.Allocate(1);
    if (chain.empty() || grown.empty())
        throw EFileSystemError(
            rtl::Format(rtl::Tr(DamagedDiskMessage), rtl::Tr("its folders are damaged")));
    plan.Fat[static_cast<size_t>(chain.back())] = static_cast<uint16_t>(grown.front());
    plan.WriteCluster(grown.front(), {}, 0);
    return {ClusterSector(grown.front()), 0, {}};
}

void TFat12::WriteEntry(uint8_t* entry, const TEntryName& name, uint8_t attributes,
                        const rtl::TLocalTime& date, int first, int64_t size, bool human68k) {
    std::memset(entry, 0, EntrySize);
    std::memcpy(entry, name.Short.data(), name.Short.size());
    entry[11] = attributes;
    if (human68k)
        std::memcpy(entry + 12, name.More.data(), name.More.size());
    const auto [dosDate, dosTime] = DosStamp(date);
    rtl::PutLe16(entry + 22, dosTime);
    rtl::PutLe16(entry + 24, dosDate);
    rtl::PutLe16(entry + 26, static_cast<uint16_t>(first));
    rtl::PutLe32(entry + 28, static_cast<uint32_t>(size));
}

std::vector<uint8_t> TFat12::PutFile(std::string_view path, std::span<const uint8_t> data,
                                     const std::optional<rtl::TLocalTime>& when) const {
    CheckChangeable(*this);
    const TPathParts parts = SplitPath(path);
    const TEntryName name = EncodeName(parts.Name);
    const TFolder folder = ReadFolder(FolderOf(parts.Folders));
    const std::string filePath = JoinPath(parts.Folder(), name.Text);
    const TEntry* existing = Find(folder, ListedName(name.Text));
    if (existing != nullptr && existing->Folder)
        RefuseExisting(filePath, true);

    TPlan plan(*this);
    std::optional<size_t> slot;
    if (existing != nullptr) {
        slot = existing->Slot;
        plan.Free(existing->First);
        // A long name stays with the same short name; another one would no longer be its.
        if (!std::equal(name.Short.begin(), name.Short.end(), folder.Slots[*slot].Raw.begin()))
            plan.DeleteEntry(folder, *slot);
    } else {
        slot = FreeSlot(folder);
    }
    const int64_t clusterBytes = FLayout.ClusterBytes();
    const auto size = static_cast<int64_t>(data.size());
    const int64_t needed = (size + clusterBytes - 1) / clusterBytes + SlotClusters(folder, slot);
    const int64_t available = FreeClusters(plan.Fat);
    if (needed > available)
        RefuseDiskFull(filePath, size, available * clusterBytes);

    const std::vector<int> clusters = plan.Allocate((size + clusterBytes - 1) / clusterBytes);
    for (size_t i = 0; i < clusters.size(); ++i)
        plan.WriteCluster(clusters[i], data, i * static_cast<size_t>(clusterBytes));
    const TSlot place = TakeSlot(plan, folder, slot);
    WriteEntry(plan.Bytes(place.Sector) + place.Offset, name, ArchiveAttribute,
               when ? *when : rtl::LocalNow(), clusters.empty() ? 0 : clusters.front(), size,
               FLayout.Human68k);
    return plan.Commit();
}

std::vector<uint8_t> TFat12::MakeFolder(std::string_view path,
                                        const std::optional<rtl::TLocalTime>& when) const {
    CheckChangeable(*this);
    const TPathParts parts = SplitPath(path);
    const TEntryName name = EncodeName(parts.Name);
    const TFolder folder = ReadFolder(FolderOf(parts.Folders));
    const std::string folderPath = JoinPath(parts.Folder(), name.Text);
    if (const TEntry* existing = Find(folder, ListedName(name.Text)))
        RefuseExisting(folderPath, existing->Folder);

    TPlan plan(*this);
    const std::optional<size_t> slot = FreeSlot(folder);
    const int64_t needed = 1 + SlotClusters(folder, slot);
    const int64_t available = FreeClusters(plan.Fat);
    if (needed > available)
        throw EFileSystemError(
            rtl::Format(rtl::Tr("The folder \"%s\" does not fit the free space of the disk."),
                        NameInMessage(folderPath).c_str()));
    const int own = plan.Allocate(1).front();
    const rtl::TLocalTime date = when ? *when : rtl::LocalNow();
    // A folder begins with "." for itself and ".." for its parent, 0 for the root.
    std::vector<uint8_t> contents(static_cast<size_t>(FLayout.ClusterBytes()));
    TEntryName self, parent;
    self.Short.fill(' ');
    parent.Short.fill(' ');
    self.Short[0] = parent.Short[0] = parent.Short[1] = '.';
    WriteEntry(contents.data(), self, FolderAttribute, date, own, 0, false);
    WriteEntry(contents.data() + EntrySize, parent, FolderAttribute, date,
               folder.First == RootFolder ? 0 : folder.First, 0, false);
    plan.WriteCluster(own, contents, 0);
    const TSlot place = TakeSlot(plan, folder, slot);
    WriteEntry(plan.Bytes(place.Sector) + place.Offset, name, FolderAttribute, date, own, 0,
               FLayout.Human68k);
    return plan.Commit();
}

std::vector<uint8_t> TFat12::Delete(std::span<const std::string> paths) const {
    CheckChangeable(*this);
    std::vector<TFound> targets;
    for (const std::string& path : paths) {
        TFound found = FindPath(path);
        const TSlot& slot = found.Folder.Slots[found.Entry.Slot];
        const bool named = std::any_of(targets.begin(), targets.end(), [&](const TFound& t) {
            const TSlot& other = t.Folder.Slots[t.Entry.Slot];
            return other.Sector == slot.Sector && other.Offset == slot.Offset;
        });
        if (!named)
            targets.push_back(std::move(found));
    }
    // A folder goes when it is empty, or when everything in it goes with it.
    for (const TFound& target : targets) {
        if (!target.Entry.Folder)
            continue;
        for (const TEntry& inner : ReadFolder(Into(target.Folder, target.Entry)).Entries) {
            const std::string innerPath = JoinPath(target.Path, inner.Name);
            const bool going = std::any_of(targets.begin(), targets.end(), [&](const TFound& t) {
                return SameName(t.Path, innerPath, TNameCase::Folded);
            });
            if (!going)
                throw EFileSystemError(rtl::Format(rtl::Tr("The folder \"%s\" is not empty."),
                                                   NameInMessage(target.Path).c_str()));
        }
    }
    TPlan plan(*this);
    for (const TFound& target : targets) {
        plan.Free(target.Entry.First);
        plan.DeleteEntry(target.Folder, target.Entry.Slot);
    }
    return plan.Commit();
}

std::vector<uint8_t> TFat12::Rename(std::string_view path, std::string_view newName) const {
    CheckChangeable(*this);
    const TFound found = FindPath(path);
    const TEntryName name = EncodeName(newName);
    const std::string listed = ListedName(name.Text);
    for (const TEntry& other : found.Folder.Entries)
        if (other.Slot != found.Entry.Slot && SameName(other.Name, listed, TNameCase::Folded))
            RefuseExisting(JoinPath(SplitPath(found.Path).Folder(), name.Text), other.Folder);
    TPlan plan(*this);
    // The long name goes: it would show instead of the new short one.
    plan.DeleteEntry(found.Folder, found.Entry.Slot);
    const TSlot& slot = found.Folder.Slots[found.Entry.Slot];
    uint8_t* entry = plan.Bytes(slot.Sector) + slot.Offset;
    std::memcpy(entry, name.Short.data(), name.Short.size());
    // Byte 12 is Human68k's name or, for Windows and mtools, which parts of the name show in
    // lower case: the new name shows as it is stored.
    if (FLayout.Human68k)
        std::memcpy(entry + 12, name.More.data(), name.More.size());
    else
        entry[12] = 0;
    return plan.Commit();
}

} // namespace

std::unique_ptr<TFileSystem> OpenFat12(const TDiskSectors& disk) {
    const std::optional<TLayout> layout = FindLayout(disk);
    if (!layout)
        return nullptr;
    return std::make_unique<TFat12>(disk, *layout);
}
