#include "App_cpmfs.h"

#include "App_fstoolkit.h"

#include "Rtl_codepage.h"
#include "Rtl_texts.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <tuple>

namespace {

constexpr int SectorSize = 256;
constexpr int SectorsPerTrack = 16;
constexpr int TrackBytes = SectorSize * SectorsPerTrack;
constexpr int Cylinders = 40;
constexpr int Tracks = 2 * Cylinders;
constexpr int EntrySize = 32;
constexpr int RecordSize = 128;
constexpr int RecordsPerExtent = 128;
constexpr int ExtentBytes = RecordSize * RecordsPerExtent;
constexpr uint8_t Erased = 0xE5;
constexpr int MaxUser = 15;
constexpr int MaxExtentLow = 31;
constexpr int MaxModule = 15;

// A layout CP/M may have on these disks: the tracks before the directory (a track being one side
// of a cylinder), the allocation block, the directory's entries, and whether the tracks count
// side 0's cylinders first instead of both sides of each cylinder in turn. Sectors are read in
// the order of their numbers: no note or disk seen shows a skew.
struct TParameters {
    int ReservedTracks;
    int BlockSize;
    int Entries;
    bool SideFirst;
    friend bool operator==(const TParameters&, const TParameters&) = default;
};

// The X1turbo's CP/M keeps two cylinders for the system and a 64-entry directory in 2 KiB
// blocks, as the Epson QX-10's does with four; the PC-88's keeps one cylinder and 128 entries.
// Other disks of these machines are found among the combinations that follow.
std::vector<TParameters> Candidates() {
    std::vector<TParameters> list{
        {4, 2048, 64, false}, {2, 2048, 128, false}, {8, 2048, 64, false}};
    for (const bool sideFirst : {false, true})
        for (const int reserved : {2, 4, 8})
            for (const int block : {2048, 1024})
                for (const int entries : {64, 128}) {
                    const TParameters p{reserved, block, entries, sideFirst};
                    if (std::find(list.begin(), list.end(), p) == list.end())
                        list.push_back(p);
                }
    return list;
}

struct TExtent {
    // The entry's place among the file's entries: its first logical extent over the extents an
    // entry holds.
    int Index = 0;
    int Slot = 0;
    std::vector<int> Blocks;
};

struct TFile {
    int User = 0;
    // The eleven name bytes without their attribute bits.
    std::string Key;
    std::string Name;
    bool ReadOnly = false;
    bool System = false;
    int64_t Records = 0;
    std::vector<TExtent> Extents;
    // A block outside the disk or the directory.
    bool Outside = false;
};

// What a candidate layout makes of the directory.
struct TReading {
    bool Consistent = false;
    std::vector<TFile> Files;
    int GoodBlocks = 0;
    int BadBlocks = 0;
    int UsedBlocks = 0;
    std::string Damage;
};

class TCpmFileSystem final : public TFileSystem {
public:
    explicit TCpmFileSystem(const TDiskSectors& disk) : FSectors(disk) {}

    // Tries the candidate layouts; true when one reads a consistent directory.
    bool Load();

    std::string Name() const override { return "CP/M"; }
    int64_t FileCount() const override { return static_cast<int64_t>(FReading.Files.size()); }
    int64_t FreeBytes() const override {
        return static_cast<int64_t>(Blocks() - DirectoryBlocks() - FReading.UsedBlocks) *
               FParams.BlockSize;
    }
    std::string Damage() const override { return FReading.Damage; }
    std::vector<TFileEntry> List(std::string_view folder) const override;
    std::vector<uint8_t> Read(std::string_view path) const override;

private:
    int Blocks() const {
        return (Tracks - FParams.ReservedTracks) * TrackBytes / FParams.BlockSize;
    }
    int DirectoryBlocks() const {
        return (FParams.Entries * EntrySize + FParams.BlockSize - 1) / FParams.BlockSize;
    }
    bool WidePointers() const { return Blocks() > 256; }
    // The logical extents one entry holds, less one.
    int ExtentMask() const {
        return (WidePointers() ? 8 : 16) * FParams.BlockSize / ExtentBytes - 1;
    }
    std::span<const uint8_t> Sector(int64_t logical) const;
    TReading ReadDirectory() const;
    const TFile& FindFile(std::string_view path) const;

    TDiskSectors FSectors;
    TParameters FParams{};
    TReading FReading;
};

std::span<const uint8_t> TCpmFileSystem::Sector(int64_t logical) const {
    const int64_t track = logical / SectorsPerTrack;
    if (logical < 0 || track >= Tracks)
        return {};
    const int c = static_cast<int>(FParams.SideFirst ? track % Cylinders : track / 2);
    const int h = static_cast<int>(FParams.SideFirst ? track / Cylinders : track % 2);
    const std::span<const uint8_t> data =
        FSectors.Read(c, h, static_cast<int>(logical % SectorsPerTrack) + 1);
    return data.size() == SectorSize ? data : std::span<const uint8_t>();
}

TReading TCpmFileSystem::ReadDirectory() const {
    TReading reading;
    const int64_t first = int64_t{FParams.ReservedTracks} * SectorsPerTrack;
    const int blocks = Blocks();
    const int dirBlocks = DirectoryBlocks();
    const int pointers = WidePointers() ? 8 : 16;
    const int mask = ExtentMask();
    std::map<std::pair<int, std::string>, size_t> index;
    std::set<std::tuple<int, std::string, int>> extents;
    std::string duplicate;
    for (int slot = 0; slot < FParams.Entries; ++slot) {
        const std::span<const uint8_t> sector = Sector(first + slot * EntrySize / SectorSize);
        if (sector.empty())
            return reading;
        const uint8_t* e = sector.data() + slot * EntrySize % SectorSize;
        if (e[0] == Erased)
            continue;
        const int extent = (e[14] & 0x3F) << 5 | (e[12] & 0x1F);
        // An extent that starts past the disk's capacity is no extent of a file on it.
        if (e[0] > MaxUser || e[12] > MaxExtentLow || e[14] > MaxModule ||
            e[15] > RecordsPerExtent ||
            int64_t{extent} * ExtentBytes >= int64_t{blocks} * FParams.BlockSize)
            return reading;
        std::string key;
        for (int i = 1; i <= 11; ++i) {
            const char c = static_cast<char>(e[i] & 0x7F);
            if (c < 0x20 || c > 0x7E)
                return reading;
            key += c;
        }
        if (key[0] == ' ')
            return reading;
        TExtent entry{extent / (mask + 1), slot, {}};
        for (int i = 0; i < pointers; ++i)
            entry.Blocks.push_back(WidePointers() ? e[16 + 2 * i] | e[17 + 2 * i] << 8 : e[16 + i]);
        const int64_t records = int64_t{extent & mask} * RecordsPerExtent + e[15];
        const int64_t needed = (records * RecordSize + FParams.BlockSize - 1) / FParams.BlockSize;
        if (records > 0 && std::all_of(entry.Blocks.begin(),
                                       entry.Blocks.begin() + std::min<int64_t>(needed, pointers),
                                       [](int b) { return b == 0; }))
            return reading;
        const auto [at, added] = index.try_emplace({e[0], key}, reading.Files.size());
        if (added) {
            TFile file;
            file.User = e[0];
            file.Key = key;
            std::string base = key.substr(0, 8), type = key.substr(8);
            base.erase(base.find_last_not_of(' ') + 1);
            type.erase(type.find_last_not_of(' ') + 1);
            file.Name = ListedName(type.empty() ? base : base + "." + type);
            file.ReadOnly = e[9] & 0x80;
            file.System = e[10] & 0x80;
            reading.Files.push_back(std::move(file));
        }
        TFile& file = reading.Files[at->second];
        file.Records = std::max<int64_t>(file.Records, int64_t{extent} * RecordsPerExtent + e[15]);
        if (!extents.emplace(e[0], key, extent).second && duplicate.empty())
            duplicate = rtl::Format(rtl::Tr("the directory holds extent %d of \"%s\" twice"),
                                    extent, NameInMessage(file.Name).c_str());
        file.Extents.push_back(std::move(entry));
    }
    reading.Consistent = true;
    // A name under more than one user: the lowest user's keeps it.
    std::map<std::string, int> lowest;
    for (const TFile& file : reading.Files) {
        const auto [at, added] = lowest.try_emplace(file.Name, file.User);
        at->second = std::min(at->second, file.User);
    }
    for (TFile& file : reading.Files)
        if (file.User != lowest[file.Name])
            file.Name += rtl::Format(" (user %d)", file.User);
    // Blocks inside the directory or past the disk, and blocks two files claim; each block is
    // claimed on its own, so that a file naming one block twice is damaged too.
    TClusterOwners owners(blocks, true);
    for (size_t f = 0; f < reading.Files.size(); ++f) {
        TFile& file = reading.Files[f];
        std::sort(file.Extents.begin(), file.Extents.end(),
                  [](const TExtent& a, const TExtent& b) { return a.Index < b.Index; });
        const std::string name = NameInMessage(file.Name);
        for (const TExtent& extent : file.Extents)
            for (const int b : extent.Blocks) {
                std::string damage;
                if (b == 0)
                    continue;
                if (b >= blocks) {
                    damage = rtl::Format(rtl::Tr("the entry of \"%s\" points outside the disk"),
                                         name.c_str());
                    file.Outside = true;
                } else if (b < dirBlocks) {
                    damage = rtl::Format(rtl::Tr("\"%s\" and the directory share block %d"),
                                         name.c_str(), b);
                    file.Outside = true;
                } else {
                    damage = owners.Claim(std::span<const int>(&b, 1), file.Name);
                    reading.UsedBlocks += damage.empty() ? 1 : 0;
                }
                ++(damage.empty() ? reading.GoodBlocks : reading.BadBlocks);
                if (reading.Damage.empty())
                    reading.Damage = damage;
            }
    }
    if (reading.Damage.empty())
        reading.Damage = duplicate;
    return reading;
}

bool TCpmFileSystem::Load() {
    std::optional<std::pair<TParameters, TReading>> damaged;
    for (const TParameters& params : Candidates()) {
        FParams = params;
        // CP/M has no layout whose entry holds less than an extent.
        if (ExtentMask() < 0)
            continue;
        TReading reading = ReadDirectory();
        if (!reading.Consistent || reading.Files.empty())
            continue;
        if (reading.BadBlocks == 0) {
            FReading = std::move(reading);
            return true;
        }
        // A layout whose blocks are mostly sound is this disk's, damaged, unless a later one
        // reads it whole.
        if (!damaged && reading.BadBlocks < reading.GoodBlocks)
            damaged.emplace(params, std::move(reading));
    }
    if (!damaged)
        return false;
    FParams = damaged->first;
    FReading = std::move(damaged->second);
    return true;
}

const TFile& TCpmFileSystem::FindFile(std::string_view path) const {
    const TPathParts parts = SplitPath(path);
    CheckRootOnly(parts.Folders);
    const TFile* file =
        FindEntry(std::span<const TFile>(FReading.Files), parts.Name, TNameCase::Exact,
                  [](const TFile& f) -> const std::string& { return f.Name; });
    if (file == nullptr)
        RefuseMissingFile(path);
    return *file;
}

std::vector<TFileEntry> TCpmFileSystem::List(std::string_view folder) const {
    CheckRootOnly(SplitFilePath(folder));
    std::vector<TFileEntry> files;
    for (const TFile& file : FReading.Files) {
        TFileEntry entry;
        entry.Name = file.Name;
        entry.Size = file.Records * RecordSize;
        entry.Kind = "file";
        entry.Details = rtl::Format("user %d", file.User);
        if (file.ReadOnly)
            AppendDetail(entry.Details, "read-only");
        if (file.System)
            AppendDetail(entry.Details, "system");
        files.push_back(std::move(entry));
    }
    return files;
}

std::vector<uint8_t> TCpmFileSystem::Read(std::string_view path) const {
    const TFile& file = FindFile(path);
    const auto broken = [&] {
        throw EFileSystemError(rtl::Format(
            rtl::Tr("The program cannot read the file \"%s\": some of its blocks are not on the "
                    "disk."),
            NameInMessage(file.Name).c_str()));
    };
    if (file.Outside)
        broken();
    // Records no entry holds, as in a file written out of order, read as zeros.
    std::vector<uint8_t> bytes(static_cast<size_t>(file.Records * RecordSize), 0);
    const int64_t entryBytes = int64_t{ExtentMask() + 1} * ExtentBytes;
    const int64_t first = int64_t{FParams.ReservedTracks} * SectorsPerTrack;
    for (const TExtent& extent : file.Extents)
        for (size_t i = 0; i < extent.Blocks.size(); ++i) {
            const int64_t start =
                extent.Index * entryBytes + static_cast<int64_t>(i) * FParams.BlockSize;
            if (extent.Blocks[i] == 0 || start >= static_cast<int64_t>(bytes.size()))
                continue;
            for (int s = 0; s < FParams.BlockSize / SectorSize; ++s) {
                const int64_t at = start + s * SectorSize;
                if (at >= static_cast<int64_t>(bytes.size()))
                    break;
                const std::span<const uint8_t> data = Sector(
                    first + int64_t{extent.Blocks[i]} * (FParams.BlockSize / SectorSize) + s);
                if (data.empty())
                    broken();
                std::copy_n(data.begin(),
                            std::min<int64_t>(SectorSize, static_cast<int64_t>(bytes.size()) - at),
                            bytes.begin() + at);
            }
        }
    return bytes;
}

} // namespace

std::unique_ptr<TFileSystem> OpenCpm(const TDiskSectors& disk) {
    // The directory follows two tracks at the least, on 256-byte sectors.
    if (disk.Read(1, 0, 1).size() != SectorSize && disk.Read(2, 0, 1).size() != SectorSize)
        return nullptr;
    auto fs = std::make_unique<TCpmFileSystem>(disk);
    if (!fs->Load())
        return nullptr;
    return fs;
}
