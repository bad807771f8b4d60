#include "App_sectormap.h"

#include "App_diskimages.h"
#include "Rtl_texts.h"

#include <algorithm>
#include <functional>

bool TMappedTrack::HasFm() const {
    return std::any_of(Sectors.begin(), Sectors.end(),
                       [](const TMappedSector& s) { return s.Header.IsFm(); });
}

bool TMappedTrack::HasMfm() const {
    return std::any_of(Sectors.begin(), Sectors.end(),
                       [](const TMappedSector& s) { return !s.Header.IsFm(); });
}

const char* DensityName(const TSectorHeader& header) {
    return header.IsFm() ? "FM" : "MFM";
}

bool TMappedTrack::HasDeletedData() const {
    return std::any_of(Sectors.begin(), Sectors.end(),
                       [](const TMappedSector& s) { return s.Header.HasDeletedData(); });
}

bool TMappedTrack::HasErrorStatus() const {
    return std::any_of(Sectors.begin(), Sectors.end(),
                       [](const TMappedSector& s) { return s.Header.HasErrorStatus(); });
}

bool TMappedTrack::HasRepeatedId() const {
    std::vector<uint32_t> ids;
    ids.reserve(Sectors.size());
    for (const TMappedSector& sector : Sectors)
        ids.push_back(sector.Header.Id());
    std::sort(ids.begin(), ids.end());
    return std::adjacent_find(ids.begin(), ids.end()) != ids.end();
}

bool TMappedTrack::HasOddSizes() const {
    return std::any_of(Sectors.begin(), Sectors.end(), [this](const TMappedSector& s) {
        return !s.Header.DataSizeFitsCode() ||
               s.Header.SectorCount != Sectors.front().Header.SectorCount;
    });
}

const TMappedTrack* TSectorMap::Track(int entry) const {
    const auto it = std::find_if(Tracks.begin(), Tracks.end(),
                                 [entry](const TMappedTrack& t) { return t.Entry == entry; });
    return it != Tracks.end() ? &*it : nullptr;
}

const TMappedSector* TSectorMap::Sector(int entry, int index) const {
    const TMappedTrack* track = Track(entry);
    if (track == nullptr || index < 1 || static_cast<size_t>(index) > track->Sectors.size())
        return nullptr;
    return &track->Sectors[static_cast<size_t>(index) - 1];
}

TSectorMap MapSectors(std::span<const uint8_t> image) {
    TSectorMap map;
    const auto size = static_cast<int64_t>(image.size());
    if (size < ImageHeaderSize) {
        map.Damage = rtl::Format(rtl::Tr("The image has %lld bytes, fewer than its header."),
                                 static_cast<long long>(size));
        return map;
    }
    const TTrackTable table = ReadTrackTable(image);
    TTrackTable held = table;
    for (int64_t& offset : held)
        offset = offset < ImageHeaderSize || offset >= size ? 0 : offset;
    map.Order = TrackOrderOf(image, held, TrackTableEntries);
    const auto damage = [&map](const std::string& text) {
        if (map.Damage.empty())
            map.Damage = text;
        return text;
    };
    for (int entry = 0; entry < TrackTableEntries; ++entry) {
        const int64_t offset = table[static_cast<size_t>(entry)];
        // Some programs point unformatted tracks at the end of the image: no sectors.
        if (offset == 0 || offset == size)
            continue;
        TMappedTrack& track = map.Tracks.emplace_back();
        track.Entry = entry;
        track.Offset = offset;
        const std::string name = CapitalTrackName(entry, map.Order);
        if (offset > size) {
            track.Damage = damage(rtl::Format(
                rtl::Tr("%s starts at offset %lld, past the end of the image (%lld "
                        "bytes)."),
                name.c_str(), static_cast<long long>(offset), static_cast<long long>(size)));
            continue;
        }
        if (offset < ImageHeaderSize) {
            track.Damage =
                damage(rtl::Format(rtl::Tr("%s starts at offset %lld, inside the header."),
                                   name.c_str(), static_cast<long long>(offset)));
            continue;
        }
        const TTrackWalk walk = WalkTrack(image, offset, [&](const TSectorRecord& sector) {
            const int64_t held =
                std::clamp<int64_t>(size - sector.DataOffset, 0, sector.Header.DataSize);
            track.Sectors.push_back(
                {sector.Header, sector.Offset, sector.DataOffset, static_cast<int32_t>(held)});
        });
        if (walk.Stop == TTrackEnd::HeaderPastEnd)
            track.Damage = damage(
                rtl::Format(rtl::Tr("%s: the header of sector %d runs past the end of the image."),
                            name.c_str(), walk.FailedSector));
        else if (walk.Stop == TTrackEnd::DataPastEnd)
            track.Damage = damage(
                rtl::Format(rtl::Tr("%s: the data of sector %d runs past the end of the image."),
                            name.c_str(), walk.FailedSector));
    }
    return map;
}

const TMappedSector& ExistingSector(const TSectorMap& map, int entry, int index) {
    const TMappedSector* sector = map.Sector(entry, index);
    if (sector == nullptr)
        throw EDiskImageError(rtl::Format(
            rtl::Tr("The disk image has no sector %d on track entry %d."), index, entry));
    return *sector;
}

void CheckSound(const TSectorMap& map) {
    if (!map.Damage.empty())
        throw EDiskImageError(rtl::Format(
            rtl::Tr("The program cannot change a damaged disk image: %s"), map.Damage.c_str()));
}

std::string MappedTrackName(const TSectorMap& map, int entry) {
    return TrackName(entry, map.Order);
}

std::vector<uint8_t> WithSectorData(std::span<const uint8_t> image, int entry, int index,
                                    std::span<const uint8_t> data) {
    const TSectorMap map = MapSectors(image);
    CheckSound(map);
    const TMappedSector& sector = ExistingSector(map, entry, index);
    if (data.size() != static_cast<size_t>(sector.Header.DataSize))
        throw EDiskImageError(rtl::Format(rtl::Tr("The sector holds %d bytes, not %lld."),
                                          static_cast<int>(sector.Header.DataSize),
                                          static_cast<long long>(data.size())));
    std::vector<uint8_t> copy(image.begin(), image.end());
    std::copy(data.begin(), data.end(), copy.begin() + sector.DataOffset);
    return copy;
}

std::vector<TSectorMatch> FindInSectors(std::span<const uint8_t> image,
                                        std::span<const uint8_t> bytes, size_t limit) {
    std::vector<TSectorMatch> matches;
    if (bytes.empty())
        return matches;
    const TSectorMap map = MapSectors(image);
    std::vector<uint8_t> run;
    // Where each sector's data begins in the run.
    std::vector<int64_t> starts;
    for (const TMappedTrack& track : map.Tracks) {
        run.clear();
        starts.clear();
        for (const TMappedSector& sector : track.Sectors) {
            starts.push_back(static_cast<int64_t>(run.size()));
            run.insert(run.end(), image.begin() + sector.DataOffset,
                       image.begin() + sector.DataOffset + sector.Bytes);
        }
        const std::boyer_moore_horspool_searcher searcher(bytes.begin(), bytes.end());
        for (auto it = run.begin(); matches.size() < limit;) {
            it = std::search(it, run.end(), searcher);
            if (it == run.end())
                break;
            const int64_t at = it - run.begin();
            const auto sector = std::upper_bound(starts.begin(), starts.end(), at) - 1;
            matches.push_back({track.Entry, static_cast<int>(sector - starts.begin()) + 1,
                               static_cast<int32_t>(at - *sector)});
            ++it;
        }
    }
    return matches;
}
