#include "App_fbasicfs.h"

#include "App_fstoolkit.h"

#include "Rtl_texts.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int SectorSize = 256;
constexpr int ClusterSectors = 8;
constexpr int ClusterBytes = SectorSize * ClusterSectors;
constexpr int Clusters = 152;
// Cluster n is half of logical track 4 + n / 2, a logical track being cylinder * 2 + side.
constexpr int FirstDataTrack = 4;

// Cylinder 1 side 0: the table in sector 1 (a 0x00 and four 0xFF, then a byte a cluster), the
// directory from sector 4.
constexpr int SystemCylinder = 1;
constexpr int TableSector = 1;
constexpr int TableFirst = 5;
constexpr int FirstDirectorySector = 4;
constexpr int SectorsPerTrack = 16;
constexpr int EntrySize = 32;
constexpr int EntriesPerSector = SectorSize / EntrySize;
// The directory's sectors on side 0, where every disk seen keeps its entries; the notes leave
// open whether side 1 of the cylinder continues it. Its entries are listed and changed in place,
// and a new file takes a slot on side 0 only.
constexpr int Side0Slots = (SectorsPerTrack - FirstDirectorySector + 1) * EntriesPerSector;
constexpr int Slots = Side0Slots + SectorsPerTrack * EntriesPerSector;

constexpr int NameBytes = 8;
constexpr int TypeOffset = 11;
constexpr int AsciiOffset = 12;
constexpr int RandomOffset = 13;
constexpr int ClusterOffset = 14;
constexpr uint8_t UnusedEntry = 0xFF;
constexpr uint8_t KilledEntry = 0x00;
constexpr uint8_t BasicType = 0;
constexpr uint8_t DataType = 1;
constexpr uint8_t MachineType = 2;
constexpr uint8_t AsciiFlag = 0xFF;
constexpr uint8_t BinaryFlag = 0x00;

// Table values: a cluster number continues the chain; LastMark + k ends it with k + 1 sectors
// used; FreeCluster is free. The notes name no other value, so a table with any is another
// disk's, except ReservedCluster, which a disk may use to keep clusters from files.
constexpr uint8_t LastMark = 0xC0;
constexpr uint8_t ReservedCluster = 0xFE;
constexpr uint8_t FreeCluster = 0xFF;

// An ASCII file, and the tail of a machine-code one, end at this byte.
constexpr uint8_t EndMark = 0x1A;

TSectorAddress SlotSector(int slot) {
    const int sector = slot / EntriesPerSector;
    const int side0 = SectorsPerTrack - FirstDirectorySector + 1;
    return sector < side0 ? TSectorAddress{SystemCylinder, 0, FirstDirectorySector + sector}
                          : TSectorAddress{SystemCylinder, 1, sector - side0 + 1};
}

TSectorAddress ClusterSector(int cluster, int sector) {
    const int track = FirstDataTrack + cluster / 2;
    return {track / 2, track % 2, (cluster % 2) * ClusterSectors + 1 + sector};
}

bool ValidTableValue(uint8_t value) {
    return value < Clusters || (value >= LastMark && value < LastMark + ClusterSectors) ||
           value == ReservedCluster || value == FreeCluster;
}

// A machine-code file's body: 0x00, its length and load address (big-endian), the bytes,
// 0xFF 0x00 0x00 and its run address. The length of the whole, when bytes begin with one.
struct TMachineCode {
    size_t Length = 0;
    uint16_t Load = 0;
    uint16_t Exec = 0;
};

uint16_t GetBe16(std::span<const uint8_t> bytes, size_t at) {
    return static_cast<uint16_t>(bytes[at] << 8 | bytes[at + 1]);
}

std::optional<TMachineCode> MachineCodeOf(std::span<const uint8_t> bytes) {
    if (bytes.size() < 10 || bytes[0] != 0x00)
        return std::nullopt;
    const size_t length = GetBe16(bytes, 1);
    const size_t tail = 5 + length;
    if (tail + 5 > bytes.size() || bytes[tail] != 0xFF || bytes[tail + 1] != 0 ||
        bytes[tail + 2] != 0)
        return std::nullopt;
    return TMachineCode{tail + 5, GetBe16(bytes, 3), GetBe16(bytes, tail + 3)};
}

// How Put stores data, from its bytes alone: text as ASCII, a machine-code body whole as machine
// code, anything else as binary data.
enum class TStoredAs { Ascii, MachineCode, Binary };

TStoredAs StoredAsOf(std::span<const uint8_t> data) {
    if (IsPlainText(data))
        return TStoredAs::Ascii;
    const std::optional<TMachineCode> code = MachineCodeOf(data);
    return code && code->Length == data.size() ? TStoredAs::MachineCode : TStoredAs::Binary;
}

// The name as the directory stores it, or a refusal.
std::array<uint8_t, NameBytes> StoredNameOf(std::string_view name) {
    const bool fits = !name.empty() && name.size() <= NameBytes && name.front() != ' ' &&
                      std::all_of(name.begin(), name.end(), [](char c) {
                          const auto b = static_cast<uint8_t>(c);
                          return ((b >= 0x20 && b < 0x7F) || (b >= 0xA1 && b <= 0xDF)) &&
                                 c != '"' && c != ':' && c != '/';
                      });
    if (!fits)
        throw ENameError(rtl::Format(
            rtl::Tr("The name \"%s\" does not fit an F-BASIC disk: 1 to 8 characters of ASCII or "
                    "half-width katakana, without '\"', ':' or '/'."),
            NameInMessage(name).c_str()));
    std::array<uint8_t, NameBytes> stored;
    stored.fill(' ');
    std::copy(name.begin(), name.end(), stored.begin());
    return stored;
}

std::string NameOf(const uint8_t* entry) {
    std::string name(reinterpret_cast<const char*>(entry), NameBytes);
    name.erase(name.find_last_not_of(' ') + 1);
    return ListedName(name);
}

struct TFile {
    int Slot = 0;
    std::string Name;
    uint8_t Type = 0;
    uint8_t Ascii = 0;
    uint8_t Random = 0;
    int First = 0;
    TChain Chain;
    std::optional<TMachineCode> Code;
    int64_t Size = 0;
};

class TFBasicFileSystem final : public TFileSystem {
public:
    explicit TFBasicFileSystem(const TDiskSectors& disk);

    std::string Name() const override { return "F-BASIC"; }
    int64_t FileCount() const override { return static_cast<int64_t>(FFiles.size()); }
    int64_t FreeBytes() const override {
        return static_cast<int64_t>(FreeClusters(FTable).size()) * ClusterBytes;
    }
    std::string Damage() const override { return FDamage.Text(); }
    std::vector<TFileEntry> List(std::string_view folder) const override;
    std::vector<uint8_t> Read(std::string_view path) const override;
    std::vector<uint8_t> ReadBackOf(std::span<const uint8_t> data) const override;
    bool CanWrite() const override { return true; }
    std::string FittingName(std::string_view name) const override {
        return FitName(name, {NameBytes, 0,
                              [](uint8_t b) {
                                  return ((b >= 0x20 && b < 0x7F) || (b >= 0xA1 && b <= 0xDF)) &&
                                         b != '"' && b != ':' && b != '/';
                              },
                              false, false});
    }
    std::vector<uint8_t> PutFile(std::string_view path, std::span<const uint8_t> data,
                                 const std::optional<rtl::TLocalTime>& date) const override;
    std::vector<uint8_t> Delete(std::span<const std::string> paths) const override;
    std::vector<uint8_t> Rename(std::string_view path, std::string_view newName) const override;

private:
    std::span<const uint8_t> SectorAt(const TSectorAddress& a) const { return FDisk.Read(a); }
    std::span<uint8_t> SectorIn(std::vector<uint8_t>& copy, const TSectorAddress& a) const {
        return FDisk.Write(copy, a);
    }
    std::vector<uint8_t> ChainBytes(const TChain& chain) const;
    // The bytes of a file of a sound chain, as Read gives them.
    std::vector<uint8_t> Contents(const TFile& file) const;
    std::vector<int> FreeClusters(const std::vector<uint8_t>& table) const;
    const TFile& FindFile(std::string_view path) const;
    const TFile* Find(std::string_view name) const;
    std::vector<uint8_t> Copy() const { return {FDisk.Image().begin(), FDisk.Image().end()}; }
    void WriteTable(std::vector<uint8_t>& copy, const std::vector<uint8_t>& table) const;

    TDiskSectors FDisk;
    std::vector<uint8_t> FTable;
    TClusterSpace FSpace;
    std::vector<TFile> FFiles;
    // Slots a new file may take, in order.
    std::vector<int> FFreeSlots;
    TDamage FDamage;
};

TFBasicFileSystem::TFBasicFileSystem(const TDiskSectors& disk) : FDisk(disk) {
    const std::span<const uint8_t> table = SectorAt({SystemCylinder, 0, TableSector});
    FTable.assign(table.begin() + TableFirst, table.begin() + TableFirst + Clusters);
    FSpace.Usable.assign(Clusters, 1);
    for (int c = 0; c < Clusters; ++c)
        for (int s = 0; s < ClusterSectors && FSpace.Holds(c); ++s)
            FSpace.Usable[static_cast<size_t>(c)] =
                SectorAt(ClusterSector(c, s)).size() == SectorSize;
    TClusterOwners owners(Clusters);
    for (int slot = 0; slot < Slots; ++slot) {
        const std::span<const uint8_t> sector = SectorAt(SlotSector(slot));
        if (sector.size() != SectorSize)
            continue;
        const uint8_t* entry = sector.data() + (slot % EntriesPerSector) * EntrySize;
        if (entry[0] == UnusedEntry || entry[0] == KilledEntry) {
            if (slot < Side0Slots)
                FFreeSlots.push_back(slot);
            continue;
        }
        TFile file;
        file.Slot = slot;
        file.Name = NameOf(entry);
        file.Type = entry[TypeOffset];
        file.Ascii = entry[AsciiOffset];
        file.Random = entry[RandomOffset];
        file.First = entry[ClusterOffset];
        file.Chain = WalkChain(FSpace, file.First, [&](int c) {
            const uint8_t value = FTable[static_cast<size_t>(c)];
            if (value == FreeCluster)
                return TLink::Broken(TChainFault::Free);
            if (value == ReservedCluster)
                return TLink::Broken(TChainFault::Reserved);
            return value >= LastMark ? TLink::End(value - LastMark + 1) : TLink::Next(value);
        });
        FDamage.Note(ChainDamage(file.Chain, file.Name));
        FDamage.Note(owners.Claim(file.Chain.Clusters, file.Name));
        if (file.Chain.Sound()) {
            const std::vector<uint8_t> bytes = ChainBytes(file.Chain);
            if (file.Type == MachineType && file.Ascii != AsciiFlag)
                file.Code = MachineCodeOf(bytes);
            file.Size = static_cast<int64_t>(Contents(file).size());
        } else {
            file.Size = static_cast<int64_t>(file.Chain.Clusters.size()) * ClusterBytes;
        }
        FFiles.push_back(std::move(file));
    }
}

std::vector<uint8_t> TFBasicFileSystem::ChainBytes(const TChain& chain) const {
    std::vector<uint8_t> bytes;
    for (size_t i = 0; i < chain.Clusters.size(); ++i) {
        const int sectors = i + 1 == chain.Clusters.size() ? chain.LastUse : ClusterSectors;
        for (int s = 0; s < sectors; ++s) {
            const std::span<const uint8_t> data = SectorAt(ClusterSector(chain.Clusters[i], s));
            bytes.insert(bytes.end(), data.begin(), data.end());
        }
    }
    return bytes;
}

std::vector<uint8_t> TFBasicFileSystem::Contents(const TFile& file) const {
    std::vector<uint8_t> bytes = ChainBytes(file.Chain);
    // An ASCII file ends at its end mark; a machine-code body says how long it is; anything
    // else keeps no length and is its sectors. A 0x1A inside machine code is one of its bytes.
    if (file.Ascii == AsciiFlag)
        bytes.erase(std::find(bytes.begin(), bytes.end(), EndMark), bytes.end());
    else if (file.Code)
        bytes.resize(file.Code->Length);
    return bytes;
}

std::vector<uint8_t> TFBasicFileSystem::ReadBackOf(std::span<const uint8_t> data) const {
    std::vector<uint8_t> bytes(data.begin(), data.end());
    if (StoredAsOf(data) == TStoredAs::Binary)
        bytes.resize(std::max<size_t>(1, (data.size() + SectorSize - 1) / SectorSize) * SectorSize,
                     0);
    return bytes;
}

std::vector<int> TFBasicFileSystem::FreeClusters(const std::vector<uint8_t>& table) const {
    std::vector<int> clusters;
    for (int c = 0; c < Clusters; ++c)
        if (table[static_cast<size_t>(c)] == FreeCluster && FSpace.Holds(c))
            clusters.push_back(c);
    return clusters;
}

const TFile* TFBasicFileSystem::Find(std::string_view name) const {
    return FindEntry(std::span<const TFile>(FFiles), name, TNameCase::Exact,
                     [](const TFile& f) -> const std::string& { return f.Name; });
}

const TFile& TFBasicFileSystem::FindFile(std::string_view path) const {
    const TPathParts parts = SplitPath(path);
    CheckRootOnly(parts.Folders);
    const TFile* file = Find(parts.Name);
    if (file == nullptr)
        RefuseMissingFile(path);
    return *file;
}

std::vector<TFileEntry> TFBasicFileSystem::List(std::string_view folder) const {
    CheckRootOnly(SplitFilePath(folder));
    std::vector<TFileEntry> entries;
    for (const TFile& file : FFiles) {
        TFileEntry entry;
        entry.Name = file.Name;
        entry.Size = file.Size;
        entry.Kind = file.Type == BasicType     ? "BASIC"
                     : file.Type == DataType    ? "data"
                     : file.Type == MachineType ? "machine code"
                                                : rtl::Format("type %d", file.Type);
        AppendDetail(entry.Details, file.Ascii == AsciiFlag ? "ASCII" : "binary");
        if (file.Random != 0)
            AppendDetail(entry.Details, "random");
        if (file.Code)
            AppendDetail(entry.Details,
                         rtl::Format("load 0x%04X exec 0x%04X", file.Code->Load, file.Code->Exec));
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<uint8_t> TFBasicFileSystem::Read(std::string_view path) const {
    const TFile& file = FindFile(path);
    if (!file.Chain.Sound())
        RefuseBrokenChain(file.Name);
    return Contents(file);
}

void TFBasicFileSystem::WriteTable(std::vector<uint8_t>& copy,
                                   const std::vector<uint8_t>& table) const {
    const std::span<uint8_t> sector = SectorIn(copy, {SystemCylinder, 0, TableSector});
    std::copy(table.begin(), table.end(), sector.begin() + TableFirst);
}

// The disk keeps no dates.
std::vector<uint8_t> TFBasicFileSystem::PutFile(std::string_view path,
                                                std::span<const uint8_t> data,
                                                const std::optional<rtl::TLocalTime>&) const {
    CheckChangeable(*this);
    const TPathParts parts = SplitPath(path);
    CheckRootOnly(parts.Folders);
    const std::array<uint8_t, NameBytes> stored = StoredNameOf(parts.Name);
    const std::string listed = NameOf(stored.data());
    const TFile* existing = Find(listed);

    const TStoredAs as = StoredAsOf(data);
    std::vector<uint8_t> bytes(data.begin(), data.end());
    if (as != TStoredAs::Binary)
        bytes.push_back(EndMark);
    const int64_t sectors =
        std::max<int64_t>(1, (static_cast<int64_t>(bytes.size()) + SectorSize - 1) / SectorSize);
    const int64_t needed = (sectors + ClusterSectors - 1) / ClusterSectors;
    std::vector<uint8_t> table = FTable;
    if (existing != nullptr)
        for (const int c : existing->Chain.Clusters)
            table[static_cast<size_t>(c)] = FreeCluster;
    const std::vector<int> free = FreeClusters(table);
    if (static_cast<int64_t>(free.size()) < needed)
        RefuseDiskFull(listed, static_cast<int64_t>(data.size()),
                       static_cast<int64_t>(free.size()) * ClusterBytes);
    const int slot = existing != nullptr  ? existing->Slot
                     : FFreeSlots.empty() ? -1
                                          : FFreeSlots.front();
    if (slot < 0)
        RefuseNoRoom(listed);

    std::vector<uint8_t> copy = Copy();
    for (int64_t s = 0; s < sectors; ++s) {
        const int cluster = free[static_cast<size_t>(s / ClusterSectors)];
        const std::span<uint8_t> sector =
            SectorIn(copy, ClusterSector(cluster, static_cast<int>(s % ClusterSectors)));
        const auto begin = static_cast<size_t>(s * SectorSize);
        const size_t count =
            std::min<size_t>(SectorSize, bytes.size() - std::min(begin, bytes.size()));
        std::fill(sector.begin(), sector.end(), 0);
        std::copy_n(bytes.begin() + static_cast<ptrdiff_t>(begin), count, sector.begin());
    }
    for (int64_t i = 0; i < needed; ++i)
        table[static_cast<size_t>(free[static_cast<size_t>(i)])] =
            i + 1 < needed ? static_cast<uint8_t>(free[static_cast<size_t>(i + 1)])
                           : static_cast<uint8_t>(LastMark + (sectors - 1) % ClusterSectors);
    WriteTable(copy, table);
    const TSectorAddress place = SlotSector(slot);
    uint8_t* entry = SectorIn(copy, place).data() + (slot % EntriesPerSector) * EntrySize;
    std::fill(entry, entry + EntrySize, uint8_t{0xFF});
    std::copy(stored.begin(), stored.end(), entry);
    std::fill(entry + NameBytes, entry + TypeOffset, uint8_t{0});
    // A replaced text keeps its type, BASIC or data; new text is data.
    entry[TypeOffset] = as == TStoredAs::MachineCode ? MachineType
                        : as == TStoredAs::Ascii && existing != nullptr &&
                                existing->Ascii == AsciiFlag && existing->Type == BasicType
                            ? BasicType
                            : DataType;
    entry[AsciiOffset] = as == TStoredAs::Ascii ? AsciiFlag : BinaryFlag;
    entry[RandomOffset] = 0;
    entry[ClusterOffset] = static_cast<uint8_t>(free.front());
    entry[ClusterOffset + 1] = 0;
    return copy;
}

std::vector<uint8_t> TFBasicFileSystem::Delete(std::span<const std::string> paths) const {
    CheckChangeable(*this);
    std::vector<const TFile*> files;
    for (const std::string& path : paths)
        files.push_back(&FindFile(path));
    std::vector<uint8_t> table = FTable;
    std::vector<uint8_t> copy = Copy();
    for (const TFile* file : files) {
        for (const int c : file->Chain.Clusters)
            table[static_cast<size_t>(c)] = FreeCluster;
        SectorIn(copy,
                 SlotSector(
                     file->Slot))[static_cast<size_t>(file->Slot % EntriesPerSector) * EntrySize] =
            KilledEntry;
    }
    WriteTable(copy, table);
    return copy;
}

std::vector<uint8_t> TFBasicFileSystem::Rename(std::string_view path,
                                               std::string_view newName) const {
    CheckChangeable(*this);
    const TFile& file = FindFile(path);
    const std::array<uint8_t, NameBytes> stored = StoredNameOf(newName);
    const std::string listed = NameOf(stored.data());
    if (const TFile* other = Find(listed); other != nullptr && other != &file)
        RefuseExisting(listed);
    std::vector<uint8_t> copy = Copy();
    uint8_t* entry =
        SectorIn(copy, SlotSector(file.Slot)).data() + (file.Slot % EntriesPerSector) * EntrySize;
    std::copy(stored.begin(), stored.end(), entry);
    return copy;
}

// Whether the disk's own structures are F-BASIC's: the table's head and every value one the
// table has, and the directory's entries of the types and flags it has.
bool IsFBasic(const TDiskSectors& disk) {
    const std::span<const uint8_t> table = disk.Read(SystemCylinder, 0, TableSector);
    if (table.size() != SectorSize || table[0] != 0x00 ||
        !std::all_of(table.begin() + 1, table.begin() + TableFirst,
                     [](uint8_t b) { return b == 0xFF; }) ||
        !std::all_of(table.begin() + TableFirst, table.begin() + TableFirst + Clusters,
                     ValidTableValue))
        return false;
    for (int slot = 0; slot < Side0Slots; ++slot) {
        const std::span<const uint8_t> sector = disk.Read(SlotSector(slot));
        if (sector.size() != SectorSize)
            return false;
        const uint8_t* entry = sector.data() + (slot % EntriesPerSector) * EntrySize;
        if (entry[0] == UnusedEntry || entry[0] == KilledEntry)
            continue;
        if (entry[TypeOffset] > MachineType ||
            (entry[AsciiOffset] != AsciiFlag && entry[AsciiOffset] != BinaryFlag) ||
            std::any_of(entry, entry + NameBytes, [](uint8_t b) { return b < 0x20 || b == 0x7F; }))
            return false;
    }
    return true;
}

} // namespace

std::unique_ptr<TFileSystem> OpenFBasic(const TDiskSectors& disk) {
    if (!IsFBasic(disk))
        return nullptr;
    return std::make_unique<TFBasicFileSystem>(disk);
}
