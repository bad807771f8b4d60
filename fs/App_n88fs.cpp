#include "App_n88fs.h"

#include "App_fstoolkit.h"

#include "Rtl_codepage.h"
#include "Rtl_texts.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr int SectorSize = 256;
constexpr int EntrySize = 16;
constexpr int NameBytes = 6;
constexpr int ExtensionBytes = 3;
constexpr int StoredNameBytes = NameBytes + ExtensionBytes;
constexpr int TableCopies = 3;

// The allocation table's values: a cluster number continues the chain; LastCluster plus the
// sectors used ends it.
constexpr uint8_t LastCluster = 0xC0;
constexpr uint8_t ReservedCluster = 0xFE;
constexpr uint8_t FreeCluster = 0xFF;
// Beyond the highest last-cluster value any layout can have and below the two marks: no
// table of this file system holds one, so a table with any is another file system's bytes.
constexpr uint8_t FirstForeignValue = 0xE0;

// A directory entry's first byte: a killed file, and an entry never used.
constexpr uint8_t KilledEntry = 0x00;
constexpr uint8_t UnusedEntry = 0xFF;

constexpr uint8_t MachineCodeAttribute = 0x01;
constexpr uint8_t WriteProtectedAttribute = 0x10;
constexpr uint8_t EncryptedAttribute = 0x20;
constexpr uint8_t VerifyAttribute = 0x40;
constexpr uint8_t TokenisedAttribute = 0x80;

// One disk type's layout. The system track's last three sectors hold the table's copies, the
// sector before them the ID, and the sectors from 1 up to it the directory. Clusters are
// numbered through the tracks in order, cylinder by cylinder and side by side.
struct TLayout {
    int SectorsPerTrack;
    int SectorsPerCluster;
    int Clusters;
    // The image's cylinders that make this disk type.
    int MinCylinders;
    int MaxCylinders;
    // Where the BASICs' notes put the system track; a disk whose own table marks another track
    // as its system track is read from there.
    int SystemCylinder;
    int SystemHead;

    int ClustersPerTrack() const { return SectorsPerTrack / SectorsPerCluster; }
    int ClusterBytes() const { return SectorsPerCluster * SectorSize; }
    int TableSector(int copy) const { return SectorsPerTrack - TableCopies + 1 + copy; }
    int IdSector() const { return SectorsPerTrack - TableCopies; }
    int DirectoryEntries() const { return (IdSector() - 1) * (SectorSize / EntrySize); }
};

// 2D: 40 cylinders of 16 sectors, half-track clusters; 2DD: 80 cylinders, one track a cluster;
// 2HD: 77 cylinders of 26 sectors (cylinder 0 side 0 in 128-byte FM sectors), one track a
// cluster.
constexpr std::array<TLayout, 3> Layouts{{
    {16, 8, 160, 19, 42, 18, 1},
    {16, 16, 160, 43, 86, 40, 0},
    {26, 26, 154, 36, 86, 35, 0},
}};

struct TSystemTrack {
    const TLayout* Layout = nullptr;
    int C = 0;
    int H = 0;
};

// A directory entry in use and its allocation chain, as far as it is sound; the chain's last use
// is the sectors the file uses of its last cluster.
struct TFile {
    int Slot = 0;
    std::array<uint8_t, StoredNameBytes> Stored{};
    // As listings show it.
    std::string Name;
    uint8_t Attribute = 0;
    uint8_t First = 0;
    TChain Chain;
    int64_t Size = 0;
};

std::string DisplayName(const std::array<uint8_t, StoredNameBytes>& stored) {
    const auto part = [&](int begin, int length) {
        std::string text(reinterpret_cast<const char*>(stored.data()) + begin,
                         static_cast<size_t>(length));
        text.erase(text.find_last_not_of(' ') + 1);
        return text;
    };
    const std::string name = part(0, NameBytes);
    const std::string extension = part(NameBytes, ExtensionBytes);
    return extension.empty() ? name : name + "." + extension;
}

bool IsControl(uint8_t byte) {
    return byte < 0x20 || byte == 0x7F;
}

// Text as N88-BASIC writes it: printable characters of code page 932, line ends, tabs and the
// end-of-file mark.
bool IsText(std::span<const uint8_t> data) {
    const std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<uint8_t>(text[i]);
        if (rtl::CharLength(text, i) == 2) {
            i += 2;
            continue;
        }
        const bool single = (byte >= 0x20 && byte < 0x7F) || (byte >= 0xA1 && byte <= 0xDF) ||
                            byte == 0x09 || byte == 0x0A || byte == 0x0D || byte == 0x1A;
        if (!single)
            return false;
        ++i;
    }
    return true;
}

uint8_t AttributeOf(std::span<const uint8_t> data) {
    if (!data.empty() && data[0] == 0xFF)
        return TokenisedAttribute;
    return IsText(data) ? 0 : MachineCodeAttribute;
}

// The end-of-file mark fills the rest of a text's last sector, as the BASIC leaves it.
uint8_t FillOf(uint8_t attribute) {
    return attribute == 0 ? 0x1A : 0x00;
}

// The name as the directory stores it, or a refusal that says what does not fit.
std::array<uint8_t, StoredNameBytes> StoredNameOf(std::string_view name) {
    const auto refuse = [&](const char* why) {
        throw ENameError(rtl::Format(why, NameInMessage(name).c_str()));
    };
    for (const char c : name)
        if (IsControl(static_cast<uint8_t>(c)) || c == '/' || c == '"' || c == ':' ||
            static_cast<uint8_t>(c) == 0xFF)
            refuse(rtl::Tr("The name \"%s\" does not fit an N88-BASIC disk: it may hold no "
                           "control bytes and no '/', ':' or '\"'."));
    const size_t dot = name.find('.');
    const std::string_view base = name.substr(0, dot);
    const std::string_view extension =
        dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
    if (base.size() > NameBytes || extension.size() > ExtensionBytes ||
        extension.find('.') != std::string_view::npos)
        refuse(rtl::Tr("The name \"%s\" does not fit an N88-BASIC disk: at most 6 bytes and 3 "
                       "after the dot."));
    if (base.find_first_not_of(' ') == std::string_view::npos)
        refuse(rtl::Tr("The name \"%s\" does not fit an N88-BASIC disk: it needs a name before "
                       "the dot."));
    std::array<uint8_t, StoredNameBytes> stored;
    stored.fill(' ');
    std::copy(base.begin(), base.end(), stored.begin());
    std::copy(extension.begin(), extension.end(), stored.begin() + NameBytes);
    return stored;
}

class TN88FileSystem : public TFileSystem {
public:
    TN88FileSystem(TDiskSectors sectors, const TSystemTrack& system);

    std::string Name() const override { return "N88-BASIC"; }
    int64_t FileCount() const override { return static_cast<int64_t>(FFiles.size()); }
    int64_t FreeBytes() const override;
    std::string Damage() const override { return FDamage.Text(); }
    std::vector<TFileEntry> List(std::string_view folder) const override;
    std::vector<uint8_t> Read(std::string_view path) const override;
    std::vector<uint8_t> ReadBackOf(std::span<const uint8_t> data) const override;
    bool CanWrite() const override { return true; }
    std::string FittingName(std::string_view name) const override {
        return FitName(name,
                       {NameBytes, ExtensionBytes,
                        [](uint8_t b) { return b != '/' && b != ':' && b != '"' && b != 0xFF; },
                        true, false});
    }
    std::vector<uint8_t> PutFile(std::string_view path, std::span<const uint8_t> data,
                                 const std::optional<rtl::TLocalTime>& date) const override;
    std::vector<uint8_t> Delete(std::span<const std::string> paths) const override;
    std::vector<uint8_t> Rename(std::string_view path, std::string_view newName) const override;

private:
    const TLayout& Layout() const { return *FSystem.Layout; }
    TSectorAddress PlaceOf(int cluster, int sector) const;
    TLink LinkOf(int cluster) const;
    int TrackOf(int cluster) const { return cluster / Layout().ClustersPerTrack(); }
    std::span<const uint8_t> SystemSector(int r) const {
        return FSectors.Read(FSystem.C, FSystem.H, r);
    }
    void ReadDirectory();
    void FindDamage();
    const TFile& FindOrRefuse(std::string_view path) const;
    // Present free clusters, nearest the system track first, as the BASIC allocates them.
    std::vector<int> FreeClusters(const std::vector<uint8_t>& table) const;
    uint8_t* EntryOf(std::vector<uint8_t>& copy, int slot) const;
    void WriteEntry(std::vector<uint8_t>& copy, int slot,
                    const std::array<uint8_t, StoredNameBytes>& stored, uint8_t attribute,
                    uint8_t first) const;
    void WriteTable(std::vector<uint8_t>& copy, const std::vector<uint8_t>& table) const;

    TDiskSectors FSectors;
    TSystemTrack FSystem;
    // The first copy's values, one a cluster.
    std::vector<uint8_t> FTable;
    // The clusters whose sectors are all on the disk.
    TClusterSpace FSpace;
    std::vector<TFile> FFiles;
    // Slots whose entry is free to take, in order.
    std::vector<int> FFreeSlots;
    bool FCopiesDiffer = false;
    TDamage FDamage;
};

TN88FileSystem::TN88FileSystem(TDiskSectors sectors, const TSystemTrack& system)
    : FSectors(std::move(sectors)), FSystem(system) {
    const TLayout& layout = Layout();
    const std::span<const uint8_t> first = SystemSector(layout.TableSector(0));
    FTable.assign(first.begin(), first.begin() + layout.Clusters);
    for (int copy = 1; copy < TableCopies; ++copy)
        FCopiesDiffer =
            FCopiesDiffer || !std::equal(FTable.begin(), FTable.end(),
                                         SystemSector(layout.TableSector(copy)).begin());
    FSpace.Usable.assign(static_cast<size_t>(layout.Clusters), true);
    for (int cluster = 0; cluster < layout.Clusters; ++cluster)
        for (int s = 0; s < layout.SectorsPerCluster && FSpace.Holds(cluster); ++s) {
            const TSectorAddress place = PlaceOf(cluster, s);
            FSpace.Usable[static_cast<size_t>(cluster)] = FSectors.Read(place).size() == SectorSize;
        }
    ReadDirectory();
    FindDamage();
}

TSectorAddress TN88FileSystem::PlaceOf(int cluster, int sector) const {
    const int track = TrackOf(cluster);
    const int r = (cluster % Layout().ClustersPerTrack()) * Layout().SectorsPerCluster + 1 + sector;
    return {track / 2, track % 2, r};
}

void TN88FileSystem::ReadDirectory() {
    const int perSector = SectorSize / EntrySize;
    for (int slot = 0; slot < Layout().DirectoryEntries(); ++slot) {
        const std::span<const uint8_t> entry =
            SystemSector(slot / perSector + 1)
                .subspan(static_cast<size_t>(slot % perSector) * EntrySize, EntrySize);
        if (entry[0] == KilledEntry || entry[0] == UnusedEntry) {
            FFreeSlots.push_back(slot);
            continue;
        }
        TFile file;
        file.Slot = slot;
        std::copy_n(entry.begin(), StoredNameBytes, file.Stored.begin());
        file.Name = ListedName(DisplayName(file.Stored));
        file.Attribute = entry[9];
        file.First = entry[10];
        file.Chain = WalkChain(FSpace, file.First, [&](int c) { return LinkOf(c); });
        const auto whole = static_cast<int64_t>(file.Chain.Clusters.size());
        const int64_t last = file.Chain.Sound() ? int64_t{file.Chain.LastUse} * SectorSize
                             : file.Chain.Fault == TChainFault::Count ? 0
                                                                      : Layout().ClusterBytes();
        file.Size = whole == 0 ? 0 : (whole - 1) * Layout().ClusterBytes() + last;
        FFiles.push_back(std::move(file));
    }
}

TLink TN88FileSystem::LinkOf(int cluster) const {
    const uint8_t value = FTable[static_cast<size_t>(cluster)];
    if (value == ReservedCluster)
        return TLink::Broken(TChainFault::Reserved);
    if (value == FreeCluster)
        return TLink::Broken(TChainFault::Free);
    if (value >= LastCluster)
        return value - LastCluster <= Layout().SectorsPerCluster
                   ? TLink::End(value - LastCluster)
                   : TLink::Broken(TChainFault::Count);
    return TLink::Next(value);
}

void TN88FileSystem::FindDamage() {
    TClusterOwners owners(Layout().Clusters);
    for (const TFile& file : FFiles) {
        FDamage.Note(ChainDamage(file.Chain, file.Name));
        FDamage.Note(owners.Claim(file.Chain.Clusters, file.Name));
    }
    // The BASIC keeps the copies alike; when they are not, which one is right is unknown, and a
    // change would write one over the others.
    if (FCopiesDiffer)
        FDamage.Note(rtl::Tr("the copies of the allocation table differ"));
}

int64_t TN88FileSystem::FreeBytes() const {
    return static_cast<int64_t>(FreeClusters(FTable).size()) * Layout().ClusterBytes();
}

std::vector<int> TN88FileSystem::FreeClusters(const std::vector<uint8_t>& table) const {
    std::vector<int> clusters;
    for (int cluster = 0; cluster < Layout().Clusters; ++cluster)
        if (table[static_cast<size_t>(cluster)] == FreeCluster && FSpace.Holds(cluster))
            clusters.push_back(cluster);
    const int system = FSystem.C * 2 + FSystem.H;
    std::stable_sort(clusters.begin(), clusters.end(), [&](int a, int b) {
        return std::abs(TrackOf(a) - system) < std::abs(TrackOf(b) - system);
    });
    return clusters;
}

std::vector<TFileEntry> TN88FileSystem::List(std::string_view folder) const {
    CheckRootOnly(SplitFilePath(folder));
    std::vector<TFileEntry> entries;
    for (const TFile& file : FFiles) {
        TFileEntry entry;
        entry.Name = file.Name;
        entry.Size = file.Size;
        entry.Kind = (file.Attribute & MachineCodeAttribute) != 0 ? "binary"
                     : (file.Attribute & TokenisedAttribute) != 0 ? "BASIC"
                                                                  : "ASCII";
        for (const auto& [bit, word] :
             {std::pair{WriteProtectedAttribute, "write-protected"},
              std::pair{EncryptedAttribute, "encrypted"}, std::pair{VerifyAttribute, "verify"}})
            if ((file.Attribute & bit) != 0)
                AppendDetail(entry.Details, word);
        entries.push_back(std::move(entry));
    }
    return entries;
}

const TFile& TN88FileSystem::FindOrRefuse(std::string_view path) const {
    const TPathParts parts = SplitPath(path);
    CheckRootOnly(parts.Folders);
    const TFile* file = FindEntry(std::span<const TFile>(FFiles), parts.Name, TNameCase::Exact,
                                  [](const TFile& f) -> const std::string& { return f.Name; });
    if (file == nullptr)
        RefuseMissingFile(path);
    return *file;
}

std::vector<uint8_t> TN88FileSystem::Read(std::string_view path) const {
    const TFile& file = FindOrRefuse(path);
    if (!file.Chain.Sound())
        RefuseBrokenChain(file.Name);
    const std::vector<int>& clusters = file.Chain.Clusters;
    std::vector<uint8_t> data;
    data.reserve(static_cast<size_t>(file.Size));
    for (size_t i = 0; i < clusters.size(); ++i) {
        const int sectors =
            i + 1 == clusters.size() ? file.Chain.LastUse : Layout().SectorsPerCluster;
        for (int s = 0; s < sectors; ++s) {
            const TSectorAddress place = PlaceOf(clusters[i], s);
            const std::span<const uint8_t> sector = FSectors.Read(place);
            data.insert(data.end(), sector.begin(), sector.end());
        }
    }
    return data;
}

std::vector<uint8_t> TN88FileSystem::ReadBackOf(std::span<const uint8_t> data) const {
    // The directory keeps no length: a file is its sectors, the last one filled as Put fills it.
    const size_t sectors = std::max<size_t>(1, (data.size() + SectorSize - 1) / SectorSize);
    std::vector<uint8_t> bytes(data.begin(), data.end());
    bytes.resize(sectors * SectorSize, FillOf(AttributeOf(data)));
    return bytes;
}

uint8_t* TN88FileSystem::EntryOf(std::vector<uint8_t>& copy, int slot) const {
    const int perSector = SectorSize / EntrySize;
    return FSectors.Write(copy, FSystem.C, FSystem.H, slot / perSector + 1).data() +
           (slot % perSector) * EntrySize;
}

void TN88FileSystem::WriteEntry(std::vector<uint8_t>& copy, int slot,
                                const std::array<uint8_t, StoredNameBytes>& stored,
                                uint8_t attribute, uint8_t first) const {
    uint8_t* entry = EntryOf(copy, slot);
    std::copy(stored.begin(), stored.end(), entry);
    entry[9] = attribute;
    entry[10] = first;
    std::fill(entry + 11, entry + EntrySize, uint8_t{0xFF});
}

void TN88FileSystem::WriteTable(std::vector<uint8_t>& copy,
                                const std::vector<uint8_t>& table) const {
    for (int c = 0; c < TableCopies; ++c)
        std::copy(table.begin(), table.end(),
                  FSectors.Write(copy, FSystem.C, FSystem.H, Layout().TableSector(c)).begin());
}

// The disk keeps no dates.
std::vector<uint8_t> TN88FileSystem::PutFile(std::string_view path, std::span<const uint8_t> data,
                                             const std::optional<rtl::TLocalTime>&) const {
    CheckChangeable(*this);
    const TPathParts parts = SplitPath(path);
    CheckRootOnly(parts.Folders);
    const std::string& name = parts.Name;
    const std::array<uint8_t, StoredNameBytes> stored = StoredNameOf(name);
    const TLayout& layout = Layout();

    std::vector<uint8_t> table = FTable;
    const TFile* replaced = nullptr;
    for (const TFile& file : FFiles)
        if (file.Stored == stored)
            replaced = &file;
    if (replaced != nullptr)
        for (const int cluster : replaced->Chain.Clusters)
            table[static_cast<size_t>(cluster)] = FreeCluster;
    const std::vector<int> free = FreeClusters(table);
    const auto bytes = static_cast<int64_t>(data.size());
    // An empty file still takes a cluster: its entry must name one.
    const int64_t needed =
        std::max<int64_t>(1, (bytes + layout.ClusterBytes() - 1) / layout.ClusterBytes());
    if (needed > static_cast<int64_t>(free.size()))
        RefuseDiskFull(name, bytes, static_cast<int64_t>(free.size()) * layout.ClusterBytes());
    const int slot = replaced != nullptr  ? replaced->Slot
                     : FFreeSlots.empty() ? -1
                                          : FFreeSlots.front();
    if (slot < 0)
        RefuseNoRoom(name);

    const uint8_t attribute = AttributeOf(data);
    const uint8_t fill = FillOf(attribute);
    std::vector<uint8_t> copy(FSectors.Image().begin(), FSectors.Image().end());
    int64_t offset = 0;
    for (int64_t i = 0; i < needed; ++i) {
        const int cluster = free[static_cast<size_t>(i)];
        const int64_t left = bytes - offset;
        const int sectors =
            i + 1 < needed
                ? layout.SectorsPerCluster
                : static_cast<int>(std::max<int64_t>(1, (left + SectorSize - 1) / SectorSize));
        for (int s = 0; s < sectors; ++s) {
            const TSectorAddress place = PlaceOf(cluster, s);
            const std::span<uint8_t> sector = FSectors.Write(copy, place);
            const auto take =
                static_cast<size_t>(std::clamp<int64_t>(bytes - offset, 0, SectorSize));
            std::copy_n(data.begin() + offset, take, sector.begin());
            std::fill(sector.begin() + static_cast<ptrdiff_t>(take), sector.end(), fill);
            offset += static_cast<int64_t>(take);
        }
        table[static_cast<size_t>(cluster)] =
            i + 1 < needed ? static_cast<uint8_t>(free[static_cast<size_t>(i + 1)])
                           : static_cast<uint8_t>(LastCluster + sectors);
    }
    WriteEntry(copy, slot, stored, attribute, static_cast<uint8_t>(free.front()));
    WriteTable(copy, table);
    return copy;
}

std::vector<uint8_t> TN88FileSystem::Delete(std::span<const std::string> paths) const {
    CheckChangeable(*this);
    std::vector<const TFile*> files;
    for (const std::string& path : paths)
        files.push_back(&FindOrRefuse(path));
    std::vector<uint8_t> table = FTable;
    std::vector<uint8_t> copy(FSectors.Image().begin(), FSectors.Image().end());
    for (const TFile* file : files) {
        for (const int cluster : file->Chain.Clusters)
            table[static_cast<size_t>(cluster)] = FreeCluster;
        *EntryOf(copy, file->Slot) = KilledEntry;
    }
    WriteTable(copy, table);
    return copy;
}

std::vector<uint8_t> TN88FileSystem::Rename(std::string_view path, std::string_view newName) const {
    CheckChangeable(*this);
    const TFile& file = FindOrRefuse(path);
    const std::array<uint8_t, StoredNameBytes> stored = StoredNameOf(newName);
    for (const TFile& other : FFiles)
        if (&other != &file && other.Stored == stored)
            RefuseExisting(DisplayName(stored));
    std::vector<uint8_t> copy(FSectors.Image().begin(), FSectors.Image().end());
    WriteEntry(copy, file.Slot, stored, file.Attribute, file.First);
    return copy;
}

// Whether track c, h is a system track of layout as the disk's own structures have it: every
// sector there and no other, the table's first copy marking the track's own clusters reserved and
// holding only the values the table has, and the directory's names free of control bytes.
bool IsSystemTrack(const TDiskSectors& sectors, const TLayout& layout, int c, int h) {
    if (sectors.Track(c, h).size() != static_cast<size_t>(layout.SectorsPerTrack))
        return false;
    for (int r = 1; r <= layout.SectorsPerTrack; ++r)
        if (sectors.Read(c, h, r).size() != SectorSize)
            return false;
    const std::span<const uint8_t> table = sectors.Read(c, h, layout.TableSector(0));
    const int firstCluster = (c * 2 + h) * layout.ClustersPerTrack();
    if (firstCluster + layout.ClustersPerTrack() > layout.Clusters)
        return false;
    for (int k = 0; k < layout.ClustersPerTrack(); ++k)
        if (table[static_cast<size_t>(firstCluster + k)] != ReservedCluster)
            return false;
    int reserved = 0;
    for (int cluster = 0; cluster < layout.Clusters; ++cluster) {
        const uint8_t value = table[static_cast<size_t>(cluster)];
        if (value >= FirstForeignValue && value < ReservedCluster)
            return false;
        reserved += value == ReservedCluster ? 1 : 0;
    }
    // The system's own tracks are a small part of any disk; a table of nothing else is fill.
    if (reserved > layout.Clusters / 2)
        return false;
    const int perSector = SectorSize / EntrySize;
    for (int slot = 0; slot < layout.DirectoryEntries(); ++slot) {
        const std::span<const uint8_t> entry =
            sectors.Read(c, h, slot / perSector + 1)
                .subspan(static_cast<size_t>(slot % perSector) * EntrySize);
        if (entry[0] == KilledEntry || entry[0] == UnusedEntry)
            continue;
        for (int i = 0; i < StoredNameBytes; ++i)
            if (IsControl(entry[static_cast<size_t>(i)]))
                return false;
    }
    return true;
}

std::optional<TSystemTrack> FindSystemTrack(const TDiskSectors& sectors) {
    for (const TLayout& layout : Layouts) {
        if (sectors.Cylinders() < layout.MinCylinders || sectors.Cylinders() > layout.MaxCylinders)
            continue;
        if (IsSystemTrack(sectors, layout, layout.SystemCylinder, layout.SystemHead))
            return TSystemTrack{&layout, layout.SystemCylinder, layout.SystemHead};
        // Where notes disagree on the system track, the disk's own reserved marks tell.
        for (int track = 0; track < 2 * sectors.Cylinders(); ++track)
            if (IsSystemTrack(sectors, layout, track / 2, track % 2))
                return TSystemTrack{&layout, track / 2, track % 2};
    }
    return std::nullopt;
}

} // namespace

std::unique_ptr<TFileSystem> OpenN88Basic(const TDiskSectors& disk) {
    const std::optional<TSystemTrack> system = FindSystemTrack(disk);
    if (!system)
        return nullptr;
    return std::make_unique<TN88FileSystem>(disk, *system);
}
