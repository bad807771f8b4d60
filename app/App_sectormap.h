// The tracks and sectors of one image exactly as its track table and sector headers say them,
// repeated IDs, odd size codes and marks included: what the sector view shows and the sector
// commands read, write and search. A damaged image is mapped as far as it is sound, and only a
// sound one is written.
#pragma once

#include "App_disklayout.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

struct TMappedSector {
    TSectorHeader Header;
    // Where its header and its data begin in the image.
    int64_t Offset = 0;
    int64_t DataOffset = 0;
    // The bytes of its data the image holds: fewer than the header's length only for data cut
    // by the image's end.
    int32_t Bytes = 0;
};

// "MFM" or "FM", as the sector view and the sector commands name a sector's density.
const char* DensityName(const TSectorHeader& header);

struct TMappedTrack {
    // Its entry in the track table, from 0.
    int Entry = 0;
    int64_t Offset = 0;
    std::vector<TMappedSector> Sectors;
    // Why the sectors stop before the count the first header gives (a sentence naming where),
    // or why the track has none; empty for a sound track.
    std::string Damage;

    // What the headers say, at a glance.
    bool HasFm() const;
    bool HasMfm() const;
    bool HasDeletedData() const;
    bool HasErrorStatus() const;
    // An ID (C, H, R and N) that more than one sector has.
    bool HasRepeatedId() const;
    // A data length that is not 128 << N, or sector counts that disagree.
    bool HasOddSizes() const;
};

struct TSectorMap {
    // The tracks of the table's present entries, in table order; an entry whose offset is past
    // the image's end or inside its header is a track with no sectors and its damage.
    std::vector<TMappedTrack> Tracks;
    TTrackOrder Order;
    // The first damage found, a sentence; empty for a sound image.
    std::string Damage;

    // Null when the entry is not present, or the index (from 1) not on its track.
    const TMappedTrack* Track(int entry) const;
    const TMappedSector* Sector(int entry, int index) const;
};

// Bounded by the image: never reads outside it, and at most 164 tracks of at most 65,535
// sectors, each at least a header long.
TSectorMap MapSectors(std::span<const uint8_t> image);

// The sector, or EDiskImageError "The disk image has no sector 4 on track entry 12." for none.
const TMappedSector& ExistingSector(const TSectorMap& map, int entry, int index);

// Raises EDiskImageError for the map of a damaged image: what a change of it is refused with.
void CheckSound(const TSectorMap& map);

// "track 3 side 1" for the cylinder and side an entry stands for in map.
std::string MappedTrackName(const TSectorMap& map, int entry);

// A copy of image whose sector `index` (from 1) of the track at `entry` holds data, every other
// byte as it was. Raises EDiskImageError for a damaged image, a sector it does not have, or
// data of another length than the sector's.
std::vector<uint8_t> WithSectorData(std::span<const uint8_t> image, int entry, int index,
                                    std::span<const uint8_t> data);

// Where bytes occur in the sectors' data: each track's sectors read one after another in stored
// order, so that a match may run on from one sector into the next; every start, overlapping
// ones too, at most limit of them.
struct TSectorMatch {
    int Entry = 0;
    int Index = 0;
    int32_t Offset = 0;
    bool operator==(const TSectorMatch&) const = default;
};
std::vector<TSectorMatch> FindInSectors(std::span<const uint8_t> image,
                                        std::span<const uint8_t> bytes, size_t limit = SIZE_MAX);
