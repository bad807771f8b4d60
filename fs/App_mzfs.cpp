#include "App_mzfs.h"

#include "App_fstoolkit.h"

#include "Rtl_bytes.h"
#include "Rtl_texts.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <vector>

namespace {

constexpr int RecordSize = 256;
constexpr int RecordsPerTrack = 16;
constexpr int BitmapRecord = 15;
constexpr int DirectoryRecord = 16;
constexpr int DirectoryRecords = 8;
constexpr int EntrySize = 32;
constexpr int Entries = DirectoryRecords * RecordSize / EntrySize;
// The records before the files': the IPL, the bitmap, the directory and the system's own.
constexpr int FirstFileRecord = 48;

constexpr uint8_t EmptyMode = 0x00;
constexpr uint8_t ObjMode = 0x01;
constexpr uint8_t BtxMode = 0x02;
constexpr uint8_t VolumeMode = 0x80;
constexpr int NameBytes = 16;
constexpr uint8_t NameEnd = 0x0D;
constexpr int SizeOffset = 0x14;
constexpr int LoadOffset = 0x16;
constexpr int ExecOffset = 0x18;
constexpr int FirstRecordOffset = 0x1E;

constexpr int UsedOffset = 2;
constexpr int TotalOffset = 4;
constexpr int BitsOffset = 6;
constexpr int BlockSizeOffset = 0xFF;

// The disk's record n, its bytes turned back: the disk keeps every byte inverted, and the drive
// calls side 0 what the sector IDs call side 1, so the record is found by the side its ID names,
// whichever of the cylinder's tracks holds it.
std::optional<std::array<uint8_t, RecordSize>> ReadRecord(const TDiskSectors& disk, int64_t n) {
    if (n < 0 || n / RecordsPerTrack / 2 >= disk.Cylinders())
        return std::nullopt;
    const int track = static_cast<int>(n / RecordsPerTrack);
    const int r = static_cast<int>(n % RecordsPerTrack) + 1;
    const int id = 1 - track % 2;
    for (int h = 0; h < 2; ++h)
        for (const TDiskSectors::TSector& sector : disk.Track(track / 2, h))
            if (sector.Header.H == id && sector.Header.R == r && sector.Place.Size == RecordSize) {
                std::array<uint8_t, RecordSize> bytes;
                const std::span<const uint8_t> data =
                    disk.Image().subspan(static_cast<size_t>(sector.Place.Offset), RecordSize);
                std::transform(data.begin(), data.end(), bytes.begin(),
                               [](uint8_t b) { return static_cast<uint8_t>(~b); });
                return bytes;
            }
    return std::nullopt;
}

struct TFile {
    std::string Name;
    uint8_t Mode = 0;
    int64_t Size = 0;
    uint16_t Load = 0;
    uint16_t Exec = 0;
    int64_t First = 0;
    int64_t Records() const { return (Size + RecordSize - 1) / RecordSize; }
    // Whether its records are all files' records on the disk.
    bool Sound = false;
};

// What the disk's bitmap and directory say, when they say it as MZ disk BASIC does.
struct TVolume {
    int64_t Records = 0;
    int RecordsPerBlock = 1;
    int64_t Blocks = 0;
    int64_t UsedBlocks = 0;
    std::vector<bool> Used;
    std::vector<TFile> Files;
};

std::string NameOf(const uint8_t* entry) {
    const uint8_t* end = std::find(entry + 1, entry + 1 + NameBytes, NameEnd);
    std::string name(entry + 1, end);
    name.erase(name.find_last_not_of(' ') + 1);
    return ListedName(name);
}

std::optional<TVolume> ReadVolume(const TDiskSectors& disk) {
    const auto ipl = ReadRecord(disk, 0);
    const auto bitmap = ReadRecord(disk, BitmapRecord);
    if (!ipl || !bitmap)
        return std::nullopt;
    TVolume volume;
    volume.Records = int64_t{disk.Cylinders()} * 2 * RecordsPerTrack;
    volume.RecordsPerBlock = (*bitmap)[BlockSizeOffset] + 1;
    volume.Blocks = rtl::GetLe16(bitmap->data() + TotalOffset);
    volume.UsedBlocks = rtl::GetLe16(bitmap->data() + UsedOffset);
    const int64_t bits = int64_t{RecordSize - BitsOffset - 1} * 8;
    if (volume.RecordsPerBlock > 2 || volume.Blocks == 0 || volume.Blocks > bits ||
        FirstFileRecord + volume.Blocks * volume.RecordsPerBlock > volume.Records ||
        volume.UsedBlocks > volume.Blocks)
        return std::nullopt;
    int64_t marked = 0;
    for (int64_t b = 0; b < volume.Blocks; ++b) {
        const bool used = ((*bitmap)[static_cast<size_t>(BitsOffset + b / 8)] >> (b % 8) & 1) != 0;
        volume.Used.push_back(used);
        marked += used ? 1 : 0;
    }
    if (marked != volume.UsedBlocks)
        return std::nullopt;
    for (int e = 0; e < Entries; ++e) {
        const auto record = ReadRecord(disk, DirectoryRecord + e * EntrySize / RecordSize);
        if (!record)
            return std::nullopt;
        const uint8_t* entry = record->data() + e * EntrySize % RecordSize;
        if (e == 0) {
            // The volume entry heads the directory: without it, an IPL alone is another
            // system's disk.
            if (entry[0] != VolumeMode)
                return std::nullopt;
            continue;
        }
        if (entry[0] == EmptyMode)
            continue;
        if (entry[0] != ObjMode && entry[0] != BtxMode)
            return std::nullopt;
        TFile file;
        file.Name = NameOf(entry);
        file.Mode = entry[0];
        file.Size = rtl::GetLe16(entry + SizeOffset);
        file.Load = rtl::GetLe16(entry + LoadOffset);
        file.Exec = rtl::GetLe16(entry + ExecOffset);
        file.First = rtl::GetLe16(entry + FirstRecordOffset);
        volume.Files.push_back(std::move(file));
    }
    // The bitmap agrees with the entries: every block a sound entry holds is marked used.
    for (const TFile& file : volume.Files) {
        if (file.First < FirstFileRecord || file.Records() == 0)
            continue;
        for (int64_t r = file.First; r < file.First + file.Records(); ++r) {
            const int64_t block = (r - FirstFileRecord) / volume.RecordsPerBlock;
            if (block < volume.Blocks && !volume.Used[static_cast<size_t>(block)])
                return std::nullopt;
        }
    }
    return volume;
}

class TMzFileSystem final : public TFileSystem {
public:
    TMzFileSystem(const TDiskSectors& disk, TVolume volume);

    std::string Name() const override { return "MZ-BASIC"; }
    int64_t FileCount() const override { return static_cast<int64_t>(FVolume.Files.size()); }
    int64_t FreeBytes() const override {
        return (FVolume.Blocks - FVolume.UsedBlocks) * FVolume.RecordsPerBlock * RecordSize;
    }
    std::string Damage() const override { return FDamage.Text(); }
    std::vector<TFileEntry> List(std::string_view folder) const override;
    std::vector<uint8_t> Read(std::string_view path) const override;

private:
    TDiskSectors FDisk;
    TVolume FVolume;
    TDamage FDamage;
};

TMzFileSystem::TMzFileSystem(const TDiskSectors& disk, TVolume volume)
    : FDisk(disk), FVolume(std::move(volume)) {
    TClusterOwners owners(static_cast<int>(FVolume.Blocks), true);
    for (TFile& file : FVolume.Files) {
        const std::string shown = NameInMessage(file.Name);
        std::vector<int> blocks;
        for (int64_t r = file.First; r < file.First + file.Records(); ++r)
            if (blocks.empty() || blocks.back() != (r - FirstFileRecord) / FVolume.RecordsPerBlock)
                blocks.push_back(static_cast<int>((r - FirstFileRecord) / FVolume.RecordsPerBlock));
        if (file.First < FirstFileRecord) {
            // Read from there, it would be the IPL or the directory, not a file.
            FDamage.Note(rtl::Format(rtl::Tr("the entry of \"%s\" starts in the system area"),
                                     shown.c_str()));
        } else if (!blocks.empty() && blocks.back() >= FVolume.Blocks) {
            FDamage.Note(ChainDamage({{}, 0, TChainFault::Outside, -1}, file.Name));
        } else {
            const std::string shared = owners.Claim(blocks, file.Name);
            FDamage.Note(shared);
            file.Sound = shared.empty();
        }
    }
}

std::vector<TFileEntry> TMzFileSystem::List(std::string_view folder) const {
    CheckRootOnly(SplitFilePath(folder));
    std::vector<TFileEntry> entries;
    for (const TFile& file : FVolume.Files) {
        TFileEntry entry;
        entry.Name = file.Name;
        entry.Size = file.Size;
        entry.Kind = file.Mode == ObjMode ? "OBJ" : "BTX";
        if (file.Mode == ObjMode)
            entry.Details = rtl::Format("load 0x%04X exec 0x%04X", file.Load, file.Exec);
        if (!file.Sound)
            AppendDetail(entry.Details, "damaged");
        entries.push_back(std::move(entry));
    }
    return entries;
}

std::vector<uint8_t> TMzFileSystem::Read(std::string_view path) const {
    const TPathParts parts = SplitPath(path);
    CheckRootOnly(parts.Folders);
    const TFile* file =
        FindEntry(std::span<const TFile>(FVolume.Files), parts.Name, TNameCase::Exact,
                  [](const TFile& f) -> const std::string& { return f.Name; });
    if (file == nullptr)
        RefuseMissingFile(path);
    if (!file->Sound)
        throw EFileSystemError(rtl::Format(
            rtl::Tr("The program cannot read the file \"%s\": its records are not the file's."),
            NameInMessage(file->Name).c_str()));
    std::vector<uint8_t> bytes;
    bytes.reserve(static_cast<size_t>(file->Records() * RecordSize));
    for (int64_t r = file->First; r < file->First + file->Records(); ++r) {
        const auto record = ReadRecord(FDisk, r);
        if (!record)
            throw EFileSystemError(rtl::Format(
                rtl::Tr("The program cannot read the file \"%s\": its records are not the file's."),
                NameInMessage(file->Name).c_str()));
        bytes.insert(bytes.end(), record->begin(), record->end());
    }
    bytes.resize(static_cast<size_t>(file->Size));
    return bytes;
}

} // namespace

std::unique_ptr<TFileSystem> OpenMzBasic(const TDiskSectors& disk) {
    std::optional<TVolume> volume = ReadVolume(disk);
    if (!volume)
        return nullptr;
    return std::make_unique<TMzFileSystem>(disk, std::move(*volume));
}
