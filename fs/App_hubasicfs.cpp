#include "App_hubasicfs.h"

#include "App_fstoolkit.h"

#include "Rtl_bytes.h"
#include "Rtl_codepage.h"
#include "Rtl_texts.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <string>

namespace {

constexpr int SectorSize = 256;
constexpr int ClusterSectors = 16;
constexpr int64_t ClusterBytes = SectorSize * ClusterSectors;
constexpr int EntrySize = 32;
constexpr int EntriesPerSector = SectorSize / EntrySize;
constexpr int DirectorySectors = 16;
constexpr int DirectoryEntries = DirectorySectors * EntriesPerSector;
// Each sector of the allocation table holds 128 clusters: the low seven bits of the value in its
// first half, the bits above them in its second half.
constexpr int TableClusters = 128;
constexpr int NameBytes = 13;
constexpr int ExtensionBytes = 3;
constexpr uint16_t MaxSizeField = 0xFFFF;

// The fields of a directory entry.
constexpr int ModeOffset = 0;
constexpr int NameOffset = 1;
constexpr int ExtensionOffset = 14;
constexpr int PasswordOffset = 17;
constexpr int SizeOffset = 18;
constexpr int LoadOffset = 20;
constexpr int ExecOffset = 22;
constexpr int DateOffset = 24;
constexpr int DateBytes = 6;
constexpr int ClusterOffset = 30;

// The mode byte: a deleted entry, one never used, the type and the attributes.
constexpr uint8_t DeletedEntry = 0x00;
constexpr uint8_t UnusedEntry = 0xFF;
constexpr uint8_t BinaryType = 0x01;
constexpr uint8_t BasicType = 0x02;
constexpr uint8_t AsciiType = 0x04;
constexpr uint8_t TypeBits = 0x0F;
constexpr uint8_t HiddenBit = 0x10;
constexpr uint8_t ReadOnlyBit = 0x40;
constexpr uint8_t AttributeBits = 0xF0;
// Bits the notes name only by how listings show them (bit 7 "Dir", bit 5 a "#" after the type):
// shown as the mode byte.
constexpr uint8_t OtherBits = 0xA0;
constexpr uint8_t NoPassword = 0x20;
// An ASCII file ends at this byte; its entry keeps no size.
constexpr uint8_t AsciiEnd = 0x1A;

// A table value with bit 7 set ends a chain, its low four bits the last sector the file uses in
// the cluster; 0x00 marks a free cluster; any other value is the next cluster.
constexpr uint8_t EndMark = 0x80;
constexpr uint8_t LastEndMark = 0x8F;

// Where a kind of disk keeps its tables, in logical sectors counted from 0 across the tracks, a
// track being one side of a cylinder, side 0 first.
struct TLayout {
    int SectorsPerTrack;
    int Clusters;
    int TableSector;
    int TableSectors;
    int DirectorySector;
};

constexpr TLayout Layout2D{16, 80, 14, 1, 16};
constexpr TLayout Layout2HD{26, 250, 28, 2, 32};

// The sectors a chain holds; its last use is the sectors the file uses of its last cluster.
int64_t SectorsOf(const TChain& chain) {
    return chain.Clusters.empty()
               ? 0
               : (static_cast<int64_t>(chain.Clusters.size()) - 1) * ClusterSectors + chain.LastUse;
}

struct TEntry {
    int Slot = 0;
    uint8_t Mode = 0;
    uint8_t Password = NoPassword;
    // NAME.EXT without the padding spaces, as listings show it.
    std::string Name;
    uint16_t SizeField = 0;
    uint16_t Load = 0;
    uint16_t Exec = 0;
    std::array<uint8_t, DateBytes> Date{};
    int First = 0;
    TChain Chain;
    int64_t Size = 0;

    uint8_t Type() const { return Mode & TypeBits; }
};

// A name as the directory holds it.
struct TName {
    std::array<uint8_t, NameBytes> Name;
    std::array<uint8_t, ExtensionBytes> Extension;
    std::string Shown;
};

bool ValidMode(uint8_t mode) {
    const uint8_t type = mode & TypeBits;
    return type == BinaryType || type == BasicType || type == AsciiType;
}

// Raises the message of format, marked for translation where it is written, with the name.
[[noreturn]] void Refuse(const char* format, const std::string& name) {
    throw ENameError(rtl::Format(rtl::Tr(format), NameInMessage(name).c_str()));
}

std::string Trimmed(const uint8_t* bytes, int length) {
    while (length > 0 && bytes[length - 1] == ' ')
        --length;
    return std::string(reinterpret_cast<const char*>(bytes), static_cast<size_t>(length));
}

int Bcd(uint8_t value) {
    return (value >> 4) <= 9 && (value & 0x0F) <= 9 ? (value >> 4) * 10 + (value & 0x0F) : -1;
}

uint8_t ToBcd(int value) {
    return static_cast<uint8_t>((value / 10) << 4 | value % 10);
}

// Year, month with the day of the week in its low four bits, day, hour and minute in BCD; the
// sixth byte, which the notes leave unnamed, is not shown.
std::string DateText(const std::array<uint8_t, DateBytes>& date) {
    const int year = Bcd(date[0]);
    const int month = date[1] >> 4;
    const int day = Bcd(date[2]);
    const int hour = Bcd(date[3]);
    const int minute = Bcd(date[4]);
    if (year < 0 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 ||
        minute < 0 || minute > 59)
        return {};
    return rtl::Format("%04d-%02d-%02d %02d:%02d", year < 80 ? 2000 + year : 1900 + year, month,
                       day, hour, minute);
}

// Year, month with the day of the week, day, hour and minute in BCD, as DateText reads them.
std::array<uint8_t, DateBytes> Stamp(const rtl::TLocalTime& at) {
    const std::chrono::year_month_day day{std::chrono::year(at.Year),
                                          std::chrono::month(static_cast<unsigned>(at.Month)),
                                          std::chrono::day(static_cast<unsigned>(at.Day))};
    const unsigned weekday =
        day.ok() ? std::chrono::weekday(std::chrono::sys_days(day)).c_encoding() : 0;
    return {ToBcd(at.Year % 100), static_cast<uint8_t>(at.Month << 4 | weekday),
            ToBcd(at.Day),        ToBcd(at.Hour),
            ToBcd(at.Minute),     0};
}

// The date DateText shows, where the fields make one.
std::optional<rtl::TLocalTime> DateOf(const std::array<uint8_t, DateBytes>& date) {
    if (DateText(date).empty())
        return std::nullopt;
    const int year = Bcd(date[0]);
    return rtl::TLocalTime{year < 80 ? 2000 + year : 1900 + year,
                           date[1] >> 4,
                           Bcd(date[2]),
                           Bcd(date[3]),
                           Bcd(date[4]),
                           0};
}

TName ParseName(const std::string& name) {
    const size_t dot = name.rfind('.');
    std::string base = name.substr(0, dot);
    std::string extension = dot == std::string::npos ? std::string() : name.substr(dot + 1);
    for (const unsigned char c : name)
        if (c < 0x20 || c == 0x7F || c == '"' || c == ':' || c == '/')
            Refuse(
                rtl::TrNoop(
                    "The name \"%s\" does not fit a Hu-BASIC disk: it has a character the disk's "
                    "names cannot hold."),
                name);
    // The directory pads names with spaces: trailing ones are not part of a name.
    while (!base.empty() && base.back() == ' ')
        base.pop_back();
    while (!extension.empty() && extension.back() == ' ')
        extension.pop_back();
    if (base.size() > NameBytes || extension.size() > ExtensionBytes)
        Refuse(rtl::TrNoop(
                   "The name \"%s\" does not fit a Hu-BASIC disk: at most 13 bytes and 3 after the "
                   "dot."),
               name);
    if (base.empty())
        Refuse(rtl::TrNoop(
                   "The name \"%s\" does not fit a Hu-BASIC disk: it has nothing before the dot."),
               name);
    TName parsed;
    parsed.Name.fill(' ');
    parsed.Extension.fill(' ');
    std::memcpy(parsed.Name.data(), base.data(), base.size());
    std::memcpy(parsed.Extension.data(), extension.data(), extension.size());
    parsed.Shown = extension.empty() ? base : base + "." + extension;
    return parsed;
}

class THuBasicFileSystem final : public TFileSystem {
public:
    THuBasicFileSystem(const TDiskSectors& disk, const TLayout& layout)
        : FSectors(disk), FLayout(layout),
          FSystemClusters((layout.DirectorySector + DirectorySectors + ClusterSectors - 1) /
                          ClusterSectors) {}

    // Whether the disk's own structures are Hu-BASIC's; reads them when they are.
    bool Load();

    std::string Name() const override { return "Hu-BASIC"; }
    int64_t FileCount() const override { return static_cast<int64_t>(FEntries.size()); }
    int64_t FreeBytes() const override {
        return static_cast<int64_t>(FreeClusters(FLow, FHigh).size()) * ClusterBytes;
    }
    std::string Damage() const override { return FDamage.Text(); }
    bool CanWrite() const override { return true; }
    std::string FittingName(std::string_view name) const override {
        return FitName(name,
                       {NameBytes, ExtensionBytes,
                        [](uint8_t b) { return b != '"' && b != ':' && b != '/'; }, true, false});
    }
    std::vector<TFileEntry> List(std::string_view folder) const override;
    std::vector<uint8_t> Read(std::string_view path) const override;
    std::vector<uint8_t> PutFile(std::string_view path, std::span<const uint8_t> data,
                                 const std::optional<rtl::TLocalTime>& date) const override;
    std::vector<uint8_t> Delete(std::span<const std::string> paths) const override;
    std::vector<uint8_t> Rename(std::string_view path, std::string_view newName) const override;

private:
    std::span<const uint8_t> Sector(int sector) const;
    std::span<uint8_t> WriteSector(std::vector<uint8_t>& copy, int sector) const;
    bool ClusterPresent(int cluster) const;
    TChain Walk(int first) const;
    std::vector<uint8_t> ChainBytes(const TChain& chain) const;
    void Check(TEntry& entry);
    std::vector<int> FreeClusters(const std::vector<uint8_t>& low,
                                  const std::vector<uint8_t>& high) const;
    const TEntry* Find(const std::string& name) const;
    const TEntry& FindFile(std::string_view path) const;
    std::span<uint8_t> WriteEntry(std::vector<uint8_t>& copy, int slot) const;
    void WriteTable(std::vector<uint8_t>& copy, const std::vector<uint8_t>& low,
                    const std::vector<uint8_t>& high) const;

    TDiskSectors FSectors;
    TLayout FLayout;
    // The clusters of the boot sector, the table and the directory.
    int FSystemClusters;
    std::vector<uint8_t> FLow;
    std::vector<uint8_t> FHigh;
    // The clusters whose sectors are all on the disk.
    TClusterSpace FSpace;
    std::array<uint8_t, DirectoryEntries> FModes{};
    std::vector<TEntry> FEntries;
    TDamage FDamage;
};

std::span<const uint8_t> THuBasicFileSystem::Sector(int sector) const {
    const int track = sector / FLayout.SectorsPerTrack;
    const std::span<const uint8_t> data =
        FSectors.Read(track / 2, track % 2, sector % FLayout.SectorsPerTrack + 1);
    return data.size() == SectorSize ? data : std::span<const uint8_t>();
}

std::span<uint8_t> THuBasicFileSystem::WriteSector(std::vector<uint8_t>& copy, int sector) const {
    const int track = sector / FLayout.SectorsPerTrack;
    const std::span<uint8_t> data =
        FSectors.Write(copy, track / 2, track % 2, sector % FLayout.SectorsPerTrack + 1);
    return data.size() == SectorSize ? data : std::span<uint8_t>();
}

bool THuBasicFileSystem::ClusterPresent(int cluster) const {
    for (int s = 0; s < ClusterSectors; ++s)
        if (Sector(cluster * ClusterSectors + s).empty())
            return false;
    return true;
}

bool THuBasicFileSystem::Load() {
    FLow.assign(static_cast<size_t>(FLayout.Clusters), 0);
    FHigh.assign(static_cast<size_t>(FLayout.Clusters), 0);
    for (int t = 0; t < FLayout.TableSectors; ++t) {
        const std::span<const uint8_t> table = Sector(FLayout.TableSector + t);
        if (table.empty())
            return false;
        for (int i = 0; i < TableClusters && t * TableClusters + i < FLayout.Clusters; ++i) {
            FLow[static_cast<size_t>(t * TableClusters + i)] = table[static_cast<size_t>(i)];
            FHigh[static_cast<size_t>(t * TableClusters + i)] =
                table[static_cast<size_t>(TableClusters + i)];
        }
    }
    FSpace.Usable.resize(static_cast<size_t>(FLayout.Clusters));
    for (int c = 0; c < FLayout.Clusters; ++c)
        FSpace.Usable[static_cast<size_t>(c)] = ClusterPresent(c);
    // The disk's own clusters make a sound chain from cluster 0, and none of them is free: the
    // mark of a Hu-BASIC disk that other disks' bytes, blank ones' among them, do not make.
    const TChain system = Walk(0);
    if (!system.Sound())
        return false;
    for (size_t i = 0; i < system.Clusters.size(); ++i)
        if (system.Clusters[i] != static_cast<int>(i) || system.Clusters[i] >= FSystemClusters)
            return false;
    for (int c = 0; c < FSystemClusters; ++c)
        if (FLow[static_cast<size_t>(c)] == 0 && FHigh[static_cast<size_t>(c)] == 0)
            return false;
    for (int slot = 0; slot < DirectoryEntries; ++slot) {
        const std::span<const uint8_t> sector =
            Sector(FLayout.DirectorySector + slot / EntriesPerSector);
        if (sector.empty())
            return false;
        const uint8_t* e = sector.data() + (slot % EntriesPerSector) * EntrySize;
        FModes[static_cast<size_t>(slot)] = e[ModeOffset];
        if (e[ModeOffset] == DeletedEntry || e[ModeOffset] == UnusedEntry)
            continue;
        if (!ValidMode(e[ModeOffset]))
            return false;
        TEntry entry;
        entry.Slot = slot;
        entry.Mode = e[ModeOffset];
        entry.Password = e[PasswordOffset];
        const std::string base = Trimmed(e + NameOffset, NameBytes);
        const std::string extension = Trimmed(e + ExtensionOffset, ExtensionBytes);
        entry.Name = ListedName(extension.empty() ? base : base + "." + extension);
        entry.SizeField = rtl::GetLe16(e + SizeOffset);
        entry.Load = rtl::GetLe16(e + LoadOffset);
        entry.Exec = rtl::GetLe16(e + ExecOffset);
        std::copy_n(e + DateOffset, DateBytes, entry.Date.begin());
        entry.First = rtl::GetLe16(e + ClusterOffset);
        FEntries.push_back(std::move(entry));
    }
    for (TEntry& entry : FEntries)
        Check(entry);
    TClusterOwners owners(FLayout.Clusters);
    for (const TEntry& entry : FEntries)
        FDamage.Note(owners.Claim(entry.Chain.Clusters, entry.Name));
    return true;
}

TChain THuBasicFileSystem::Walk(int first) const {
    return WalkChain(FSpace, first, [&](int c) {
        const uint8_t low = FLow[static_cast<size_t>(c)];
        const uint8_t high = FHigh[static_cast<size_t>(c)];
        if (low & EndMark)
            return low <= LastEndMark ? TLink::End((low & 0x0F) + 1)
                                      : TLink::Broken(TChainFault::Leaves);
        if (low == 0 && high == 0)
            return TLink::Broken(TChainFault::Free);
        return TLink::Next(low | high << 7);
    });
}

std::vector<uint8_t> THuBasicFileSystem::ChainBytes(const TChain& chain) const {
    std::vector<uint8_t> bytes;
    bytes.reserve(static_cast<size_t>(SectorsOf(chain) * SectorSize));
    for (size_t i = 0; i < chain.Clusters.size(); ++i) {
        const int sectors = i + 1 == chain.Clusters.size() ? chain.LastUse : ClusterSectors;
        for (int s = 0; s < sectors; ++s) {
            const std::span<const uint8_t> data = Sector(chain.Clusters[i] * ClusterSectors + s);
            bytes.insert(bytes.end(), data.begin(), data.end());
        }
    }
    return bytes;
}

// Walks the entry's chain, sizes it and notes the first thing wrong with it.
void THuBasicFileSystem::Check(TEntry& entry) {
    entry.Chain = Walk(entry.First);
    const TChain& chain = entry.Chain;
    std::string damage = ChainDamage(chain, entry.Name);
    const auto system = std::find_if(chain.Clusters.begin(), chain.Clusters.end(),
                                     [&](int c) { return c < FSystemClusters; });
    if (damage.empty() && system != chain.Clusters.end())
        damage = rtl::Format(rtl::Tr("\"%s\" and the disk's tables share cluster %d"),
                             NameInMessage(entry.Name).c_str(), *system);
    if (entry.Type() == AsciiType) {
        // The sound part of the text, up to its end mark.
        int64_t size = 0;
        bool ended = false;
        for (size_t i = 0; i < chain.Clusters.size() && !ended; ++i) {
            const int sectors =
                i + 1 == chain.Clusters.size() && chain.Sound() ? chain.LastUse : ClusterSectors;
            for (int s = 0; s < sectors && !ended; ++s) {
                const std::span<const uint8_t> data =
                    Sector(chain.Clusters[i] * ClusterSectors + s);
                const auto end = std::find(data.begin(), data.end(), AsciiEnd);
                size += end - data.begin();
                ended = data.empty() || end != data.end();
            }
        }
        entry.Size = size;
    } else {
        entry.Size = entry.SizeField;
        if (damage.empty() && entry.SizeField > SectorsOf(chain) * SectorSize)
            damage = rtl::Format(rtl::Tr("the size of \"%s\" runs past the end of its allocation "
                                         "chain"),
                                 NameInMessage(entry.Name).c_str());
    }
    FDamage.Note(std::move(damage));
}

std::vector<int> THuBasicFileSystem::FreeClusters(const std::vector<uint8_t>& low,
                                                  const std::vector<uint8_t>& high) const {
    std::vector<int> clusters;
    for (int c = FSystemClusters; c < FLayout.Clusters; ++c)
        if (low[static_cast<size_t>(c)] == 0 && high[static_cast<size_t>(c)] == 0 &&
            FSpace.Holds(c))
            clusters.push_back(c);
    return clusters;
}

const TEntry* THuBasicFileSystem::Find(const std::string& name) const {
    return FindEntry(std::span<const TEntry>(FEntries), name, TNameCase::Exact,
                     [](const TEntry& e) -> const std::string& { return e.Name; });
}

const TEntry& THuBasicFileSystem::FindFile(std::string_view path) const {
    const TPathParts parts = SplitPath(path);
    CheckRootOnly(parts.Folders);
    const TEntry* entry = Find(parts.Name);
    if (!entry)
        RefuseMissingFile(path);
    return *entry;
}

std::vector<TFileEntry> THuBasicFileSystem::List(std::string_view folder) const {
    CheckRootOnly(SplitFilePath(folder));
    std::vector<TFileEntry> files;
    for (const TEntry& entry : FEntries) {
        TFileEntry file;
        file.Name = entry.Name;
        file.Size = entry.Size;
        file.Kind = entry.Type() == AsciiType   ? "ASCII"
                    : entry.Type() == BasicType ? "BASIC"
                                                : "binary";
        std::vector<std::string> words;
        if (entry.Type() == BinaryType)
            words.push_back(rtl::Format("load 0x%04X exec 0x%04X", entry.Load, entry.Exec));
        if (const std::string date = DateText(entry.Date); !date.empty())
            words.push_back(date);
        file.Date = DateOf(entry.Date);
        if (entry.Mode & ReadOnlyBit)
            words.push_back("read-only");
        if (entry.Mode & HiddenBit)
            words.push_back("hidden");
        if (entry.Mode & OtherBits)
            words.push_back(rtl::Format("mode 0x%02X", entry.Mode));
        for (const std::string& word : words)
            AppendDetail(file.Details, word);
        files.push_back(std::move(file));
    }
    return files;
}

std::vector<uint8_t> THuBasicFileSystem::Read(std::string_view path) const {
    const TEntry& entry = FindFile(path);
    const auto broken = [&] { RefuseBrokenChain(entry.Name); };
    if (!entry.Chain.Sound())
        broken();
    std::vector<uint8_t> bytes = ChainBytes(entry.Chain);
    if (entry.Type() == AsciiType) {
        bytes.erase(std::find(bytes.begin(), bytes.end(), AsciiEnd), bytes.end());
    } else {
        if (entry.SizeField > bytes.size())
            broken();
        bytes.resize(entry.SizeField);
    }
    return bytes;
}

std::span<uint8_t> THuBasicFileSystem::WriteEntry(std::vector<uint8_t>& copy, int slot) const {
    return WriteSector(copy, FLayout.DirectorySector + slot / EntriesPerSector)
        .subspan(static_cast<size_t>((slot % EntriesPerSector) * EntrySize), EntrySize);
}

void THuBasicFileSystem::WriteTable(std::vector<uint8_t>& copy, const std::vector<uint8_t>& low,
                                    const std::vector<uint8_t>& high) const {
    for (int t = 0; t < FLayout.TableSectors; ++t) {
        const std::span<uint8_t> table = WriteSector(copy, FLayout.TableSector + t);
        for (int i = 0; i < TableClusters && t * TableClusters + i < FLayout.Clusters; ++i) {
            table[static_cast<size_t>(i)] = low[static_cast<size_t>(t * TableClusters + i)];
            table[static_cast<size_t>(TableClusters + i)] =
                high[static_cast<size_t>(t * TableClusters + i)];
        }
    }
}

std::string FileName(std::string_view path) {
    TPathParts parts = SplitPath(path);
    CheckRootOnly(parts.Folders);
    return std::move(parts.Name);
}

std::vector<uint8_t> THuBasicFileSystem::PutFile(std::string_view path,
                                                 std::span<const uint8_t> data,
                                                 const std::optional<rtl::TLocalTime>& date) const {
    CheckChangeable(*this);
    const std::string given = FileName(path);
    const TName name = ParseName(given);
    const TEntry* existing = Find(ListedName(name.Shown));
    // BASIC's own form cannot be told from other bytes: a file becomes BASIC only by replacing
    // one that was.
    const uint8_t type = IsPlainText(data)                           ? AsciiType
                         : existing && existing->Type() == BasicType ? BasicType
                                                                     : BinaryType;
    if (type != AsciiType && data.size() > MaxSizeField)
        throw EFileSystemError(rtl::Format(rtl::Tr("The file \"%s\" (%s bytes) does not fit a "
                                                   "Hu-BASIC disk: a file that is not text holds "
                                                   "at most 65535 bytes."),
                                           NameInMessage(name.Shown).c_str(),
                                           std::to_string(data.size()).c_str()));
    std::vector<uint8_t> bytes(data.begin(), data.end());
    if (type == AsciiType)
        bytes.push_back(AsciiEnd);
    const int64_t sectors =
        std::max<int64_t>(1, (static_cast<int64_t>(bytes.size()) + SectorSize - 1) / SectorSize);
    const int64_t needed = (sectors + ClusterSectors - 1) / ClusterSectors;

    std::vector<uint8_t> low = FLow;
    std::vector<uint8_t> high = FHigh;
    if (existing)
        for (const int c : existing->Chain.Clusters)
            low[static_cast<size_t>(c)] = high[static_cast<size_t>(c)] = 0;
    const std::vector<int> free = FreeClusters(low, high);
    if (static_cast<int64_t>(free.size()) < needed)
        RefuseDiskFull(name.Shown, static_cast<int64_t>(data.size()),
                       static_cast<int64_t>(free.size()) * ClusterBytes);
    int slot = existing ? existing->Slot : -1;
    for (int s = 0; s < DirectoryEntries && slot < 0; ++s)
        if (FModes[static_cast<size_t>(s)] == DeletedEntry ||
            FModes[static_cast<size_t>(s)] == UnusedEntry)
            slot = s;
    if (slot < 0)
        RefuseNoRoom(name.Shown);

    std::vector<uint8_t> copy(FSectors.Image().begin(), FSectors.Image().end());
    for (int64_t i = 0; i < needed; ++i) {
        const int c = free[static_cast<size_t>(i)];
        if (i + 1 < needed) {
            const int next = free[static_cast<size_t>(i + 1)];
            low[static_cast<size_t>(c)] = static_cast<uint8_t>(next & 0x7F);
            high[static_cast<size_t>(c)] = static_cast<uint8_t>(next >> 7);
        } else {
            low[static_cast<size_t>(c)] =
                static_cast<uint8_t>(EndMark | (sectors - 1 - i * ClusterSectors));
            high[static_cast<size_t>(c)] = 0;
        }
    }
    for (int64_t s = 0; s < sectors; ++s) {
        const std::span<uint8_t> sector =
            WriteSector(copy, free[static_cast<size_t>(s / ClusterSectors)] * ClusterSectors +
                                  static_cast<int>(s % ClusterSectors));
        const size_t begin = static_cast<size_t>(s * SectorSize);
        const size_t count =
            std::min<size_t>(SectorSize, bytes.size() - std::min(begin, bytes.size()));
        std::fill(sector.begin(), sector.end(), 0);
        std::copy_n(bytes.begin() + static_cast<ptrdiff_t>(begin), count, sector.begin());
    }
    WriteTable(copy, low, high);
    const std::span<uint8_t> e = WriteEntry(copy, slot);
    e[ModeOffset] = static_cast<uint8_t>(type | (existing ? existing->Mode & AttributeBits : 0));
    std::copy(name.Name.begin(), name.Name.end(), e.begin() + NameOffset);
    std::copy(name.Extension.begin(), name.Extension.end(), e.begin() + ExtensionOffset);
    e[PasswordOffset] = existing ? existing->Password : NoPassword;
    rtl::PutLe16(e.data() + SizeOffset, type == AsciiType ? 0 : static_cast<uint16_t>(data.size()));
    rtl::PutLe16(e.data() + LoadOffset, existing ? existing->Load : 0);
    rtl::PutLe16(e.data() + ExecOffset, existing ? existing->Exec : 0);
    const std::array<uint8_t, DateBytes> stamp = Stamp(date ? *date : rtl::LocalNow());
    std::copy(stamp.begin(), stamp.end(), e.begin() + DateOffset);
    rtl::PutLe16(e.data() + ClusterOffset, static_cast<uint16_t>(free[0]));
    return copy;
}

std::vector<uint8_t> THuBasicFileSystem::Delete(std::span<const std::string> paths) const {
    CheckChangeable(*this);
    std::vector<const TEntry*> entries;
    for (const std::string& path : paths)
        entries.push_back(&FindFile(path));
    std::vector<uint8_t> low = FLow;
    std::vector<uint8_t> high = FHigh;
    std::vector<uint8_t> copy(FSectors.Image().begin(), FSectors.Image().end());
    for (const TEntry* entry : entries) {
        for (const int c : entry->Chain.Clusters)
            low[static_cast<size_t>(c)] = high[static_cast<size_t>(c)] = 0;
        WriteEntry(copy, entry->Slot)[ModeOffset] = DeletedEntry;
    }
    WriteTable(copy, low, high);
    return copy;
}

std::vector<uint8_t> THuBasicFileSystem::Rename(std::string_view path,
                                                std::string_view newName) const {
    CheckChangeable(*this);
    const TEntry& entry = FindFile(path);
    const TName name = ParseName(std::string(newName));
    if (const TEntry* other = Find(ListedName(name.Shown)); other && other != &entry)
        RefuseExisting(name.Shown);
    std::vector<uint8_t> copy(FSectors.Image().begin(), FSectors.Image().end());
    const std::span<uint8_t> e = WriteEntry(copy, entry.Slot);
    std::copy(name.Name.begin(), name.Name.end(), e.begin() + NameOffset);
    std::copy(name.Extension.begin(), name.Extension.end(), e.begin() + ExtensionOffset);
    return copy;
}

} // namespace

std::unique_ptr<TFileSystem> OpenHuBasic(const TDiskSectors& disk) {
    for (const TLayout& layout : {Layout2D, Layout2HD}) {
        // The first track holds the boot sector and the tables: whole, or no Hu-BASIC disk.
        const std::span<const TDiskSectors::TSector> first = disk.Track(0, 0);
        if (static_cast<int>(first.size()) != layout.SectorsPerTrack ||
            std::any_of(first.begin(), first.end(), [](const TDiskSectors::TSector& s) {
                return s.Header.DataSize != SectorSize;
            }))
            continue;
        auto fs = std::make_unique<THuBasicFileSystem>(disk, layout);
        if (fs->Load())
            return fs;
    }
    return nullptr;
}
