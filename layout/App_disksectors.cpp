#include "App_disksectors.h"

#include <algorithm>

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
