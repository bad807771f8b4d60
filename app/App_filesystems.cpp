#include "App_filesystems.h"

#include "App_cpmfs.h"
#include "App_fatfs.h"
#include "App_hubasicfs.h"
#include "App_n88fs.h"

#include "Rtl_codepage.h"
#include "Rtl_texts.h"

#include <algorithm>

const char* const NoFileMessage = rtl::TrNoop("The disk has no file \"%s\".");
const char* const NoFolderMessage = rtl::TrNoop("The disk has no folder \"%s\".");
const char* const DamagedDiskMessage =
    rtl::TrNoop("The program cannot change the files of this disk: %s.");
const char* const ReadOnlyFileSystemMessage =
    rtl::TrNoop("The program cannot change the files of a %s disk.");
const char* const DiskFullMessage =
    rtl::TrNoop("The file \"%s\" (%s bytes) does not fit the free space of the disk (%s bytes).");

TDiskSectors::TDiskSectors(std::span<const uint8_t> image) : FImage(image) {
    const auto size = static_cast<int64_t>(image.size());
    TTrackTable table = ReadTrackTable(image);
    int entries = TrackTableEntries;
    int64_t first = 0;
    for (int t = 0; t < 160; ++t) {
        const int64_t offset = table[static_cast<size_t>(t)];
        if (offset != 0 && (first == 0 || offset < first))
            first = offset;
    }
    // A header of 160 entries: the last four are the first track's bytes.
    if (first == OldImageHeaderSize)
        entries = 160;
    for (int t = 0; t < TrackTableEntries; ++t) {
        int64_t& offset = table[static_cast<size_t>(t)];
        if (t >= entries || offset < OldImageHeaderSize || offset >= size)
            offset = 0;
    }
    while (entries > 0 && table[static_cast<size_t>(entries - 1)] == 0)
        --entries;
    if (entries == 0)
        return;
    const TTrackOrder order = TrackOrderOf(image, table, entries);
    FTracks.resize(static_cast<size_t>(2 * order.Cylinder(entries - 1) + 2));
    for (int t = 0; t < entries; ++t) {
        const int64_t offset = table[static_cast<size_t>(t)];
        if (offset == 0)
            continue;
        const int c = order.Cylinder(t);
        const int h = order.Side(t);
        std::vector<TSector>& sectors = FTracks[static_cast<size_t>(2 * c + h)];
        WalkTrack(image, offset, [&](const TSectorRecord& record) {
            // A sector whose data runs past the end is not one the disk has.
            if (record.DataOffset + record.Header.DataSize <= size)
                sectors.push_back({record.Header, {record.DataOffset, record.Header.DataSize}});
        });
        if (!sectors.empty()) {
            FCylinders = std::max(FCylinders, c + 1);
            FHeads = h == 1 ? 2 : FHeads;
        }
    }
}

std::span<const TDiskSectors::TSector> TDiskSectors::Track(int c, int h) const {
    const int64_t index = 2 * int64_t{c} + h;
    if (c < 0 || h < 0 || h > 1 || index >= static_cast<int64_t>(FTracks.size()))
        return {};
    return FTracks[static_cast<size_t>(index)];
}

TSectorPlace TDiskSectors::Find(int c, int h, int r) const {
    for (const TSector& sector : Track(c, h))
        if (sector.Header.R == r)
            return sector.Place;
    return {};
}

std::span<const uint8_t> TDiskSectors::Read(int c, int h, int r) const {
    const TSectorPlace place = Find(c, h, r);
    if (!place)
        return {};
    return FImage.subspan(static_cast<size_t>(place.Offset), static_cast<size_t>(place.Size));
}

std::span<uint8_t> TDiskSectors::Write(std::vector<uint8_t>& copy, int c, int h, int r) const {
    const TSectorPlace place = Find(c, h, r);
    if (!place || copy.size() != FImage.size())
        return {};
    return std::span<uint8_t>(copy).subspan(static_cast<size_t>(place.Offset),
                                            static_cast<size_t>(place.Size));
}

namespace {

[[noreturn]] void RefuseReadOnly(const TFileSystem& fs) {
    throw EFileSystemError(rtl::Format(rtl::Tr(ReadOnlyFileSystemMessage), fs.Name().c_str()));
}

} // namespace

std::vector<uint8_t> TFileSystem::Put(std::string_view, std::span<const uint8_t>) const {
    RefuseReadOnly(*this);
}

std::vector<uint8_t> TFileSystem::Delete(std::span<const std::string>) const {
    RefuseReadOnly(*this);
}

std::vector<uint8_t> TFileSystem::Rename(std::string_view, std::string_view) const {
    RefuseReadOnly(*this);
}

void CheckChangeable(const TFileSystem& fs) {
    if (!fs.CanWrite())
        RefuseReadOnly(fs);
    const std::string damage = fs.Damage();
    if (!damage.empty())
        throw EFileSystemError(rtl::Format(rtl::Tr(DamagedDiskMessage), damage.c_str()));
}

std::vector<std::string> SplitFilePath(std::string_view path) {
    std::vector<std::string> parts;
    size_t begin = 0;
    while (begin <= path.size()) {
        size_t end = path.find('/', begin);
        if (end == std::string_view::npos)
            end = path.size();
        if (end > begin)
            parts.emplace_back(path.substr(begin, end - begin));
        begin = end + 1;
    }
    return parts;
}

std::unique_ptr<TFileSystem> OpenFileSystem(std::span<const uint8_t> image) {
    // The file systems whose structures say most about themselves first: a FAT boot sector and
    // the BASICs' tables are checked field by field, CP/M's directory only for consistency.
    for (const auto open : {OpenFat12, OpenN88Basic, OpenHuBasic, OpenCpm})
        if (std::unique_ptr<TFileSystem> fs = open(image))
            return fs;
    return nullptr;
}
