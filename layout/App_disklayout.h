// The byte layout of a D88/D77 image beyond the header fields an image keeps for itself: the
// track table, the sector headers and the way tracks stand for cylinders and sides. Every reader
// and writer of tracks and sectors goes through here, so that the layout is known once.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Where things are in an image.
constexpr int ImageHeaderSize = 688;
// Images from before the table had 164 entries have 160, and their first track at 672.
constexpr int OldImageHeaderSize = 32 + 4 * 160;
constexpr int TrackTableOffset = 32;
constexpr int TrackTableEntries = 164;
constexpr int SectorHeaderSize = 16;
// A status of deleted data read without error: a mark, not a failure.
constexpr uint8_t DeletedDataStatus = 0x10;
// The density byte of a single-density (FM) sector; double density (MFM) is 0x00.
constexpr uint8_t SingleDensity = 0x40;

// The bytes of a sector of size code n, 128 << n, or 0 for a code beyond 8 (32 KiB), which no
// disk has and the layout's 16-bit data length cannot hold.
constexpr int32_t SectorBytes(int32_t n) {
    return n >= 0 && n <= 8 ? 128 << n : 0;
}

// The messages every reader and writer of images shares.
extern const char* const InvalidImageMessage;
extern const char* const LoadImagesMessage;
extern const char* const SaveImagesMessage;
extern const char* const DiskFormatMessage;

// The 16 bytes before each sector's data.
struct TSectorHeader {
    uint8_t C = 0;
    uint8_t H = 0;
    uint8_t R = 0;
    uint8_t N = 0;
    uint16_t SectorCount = 0;
    uint8_t Density = 0;
    uint8_t Deleted = 0;
    uint8_t Status = 0;
    uint16_t DataSize = 0;

    // C, H, R and N as one value, equal exactly when the four are.
    uint32_t Id() const {
        return uint32_t{C} | uint32_t{H} << 8 | uint32_t{R} << 16 | uint32_t{N} << 24;
    }
    bool HasErrorStatus() const { return Status != 0 && Status != DeletedDataStatus; }
    bool HasDeletedData() const { return Deleted != 0 || Status == DeletedDataStatus; }
    bool IsFm() const { return Density == SingleDensity; }
    // Whether the data length is the one the size code names.
    bool DataSizeFitsCode() const { return SectorBytes(N) != 0 && DataSize == SectorBytes(N); }
};

// Inline: a check decodes every sector header of a collection.
inline TSectorHeader DecodeSectorHeader(const uint8_t* bytes) {
    TSectorHeader header;
    header.C = bytes[0];
    header.H = bytes[1];
    header.R = bytes[2];
    header.N = bytes[3];
    header.SectorCount = static_cast<uint16_t>(bytes[4] | bytes[5] << 8);
    header.Density = bytes[6];
    header.Deleted = bytes[7];
    header.Status = bytes[8];
    header.DataSize = static_cast<uint16_t>(bytes[14] | bytes[15] << 8);
    return header;
}
// Writes all 16 bytes, the reserved ones as zero.
void EncodeSectorHeader(const TSectorHeader& header, uint8_t* bytes);

// One sector of an image being laid out from another form's tracks: its header, whose data
// length is the data's, and its data, or a byte that fills all of it where the other form keeps
// only that.
struct TLaidSector {
    TSectorHeader Header;
    const uint8_t* Data = nullptr;
    uint8_t Fill = 0;
};
// The sectors of each table entry in order, from entry 0; an entry with none is absent.
using TLaidTracks = std::vector<std::vector<TLaidSector>>;

using TTrackTable = std::array<int64_t, TrackTableEntries>;

// The offsets of the table of an image at least a header long.
TTrackTable ReadTrackTable(std::span<const uint8_t> image);
void WriteTrackOffset(uint8_t* image, int entry, uint32_t offset);

// The entry of cylinder c, head h in an image of heads heads: cylinder after cylinder, each
// with its heads, and a single-sided image's cylinder c at 2c, where readers of two-sided disk
// types look for side 0.
int64_t TrackEntry(int64_t heads, int64_t c, int64_t h);

// How the entries of a table stand for tracks. Two sides a cylinder as readers take them, with
// a single-sided image's second sides absent (Stride 2), or, in single-sided images written
// before that, one entry a cylinder (Stride 1, one head).
struct TTrackOrder {
    int Heads = 2;
    int Stride = 1;
    int Cylinder(int entry) const { return Heads == 1 && Stride == 1 ? entry : entry / 2; }
    int Side(int entry) const { return Heads == 1 && Stride == 1 ? 0 : entry % 2; }
};

// The order of the first `entries` entries of table: single-sided when only every other entry
// is present, or when the second entry's first sector is cylinder 1, side 0.
TTrackOrder TrackOrderOf(std::span<const uint8_t> image, const TTrackTable& table, int entries);

// "track 12 side 1", and the same to begin a sentence with: a text of its own, as a
// translation may have no capitals.
std::string TrackName(int entry, const TTrackOrder& order = {});
std::string CapitalTrackName(int entry, const TTrackOrder& order = {});

// One sector as the walk finds it.
struct TSectorRecord {
    TSectorHeader Header;
    // Where its header begins and where its data begins.
    int64_t Offset = 0;
    int64_t DataOffset = 0;
};

enum class TTrackEnd { Complete, HeaderPastEnd, DataPastEnd };

struct TTrackWalk {
    // The sectors handed to the visitor.
    int Sectors = 0;
    // Where the last whole sector ends; the image's end after data running past it.
    int64_t End = 0;
    TTrackEnd Stop = TTrackEnd::Complete;
    // The sector, from 1, that runs past the end.
    int FailedSector = 0;
    // The first header counts no sectors; its own is walked all the same.
    bool CountsNone = false;
};

// Walks the sectors of the track at offset, as many as its first header counts, handing each
// to visit. It never reads outside image, and it ends: each sector moves on by a header at
// least, and a header counts at most 65,535. A sector whose data runs past the end is handed
// to visit, and the walk stops there.
template <typename TVisit>
TTrackWalk WalkTrack(std::span<const uint8_t> image, int64_t offset, TVisit&& visit) {
    const auto size = static_cast<int64_t>(image.size());
    TTrackWalk walk;
    walk.End = offset;
    int count = -1;
    for (int i = 0; count < 0 || i < count; ++i) {
        if (offset < 0 || offset > size - SectorHeaderSize) {
            walk.Stop = TTrackEnd::HeaderPastEnd;
            walk.FailedSector = i + 1;
            return walk;
        }
        const TSectorRecord sector{DecodeSectorHeader(image.data() + offset), offset,
                                   offset + SectorHeaderSize};
        if (count < 0) {
            count = sector.Header.SectorCount;
            walk.CountsNone = count == 0;
            count = walk.CountsNone ? 1 : count;
            // A track's sectors mostly share one size: their headers are asked of memory all at
            // once, not each only when the one before has told where it lies. An image seen in
            // place in the file has them nowhere nearer than main memory.
            const int64_t stride = SectorHeaderSize + sector.Header.DataSize;
            for (int64_t j = 1, ahead = offset + stride;
                 j < count && ahead <= size - SectorHeaderSize; ++j, ahead += stride)
                __builtin_prefetch(image.data() + ahead);
        }
        visit(sector);
        ++walk.Sectors;
        if (sector.DataOffset + sector.Header.DataSize > size) {
            walk.Stop = TTrackEnd::DataPastEnd;
            walk.FailedSector = i + 1;
            walk.End = size;
            return walk;
        }
        offset = sector.DataOffset + sector.Header.DataSize;
        walk.End = offset;
    }
    return walk;
}

// Counts values and names the most frequent, the smallest of equally frequent ones. Cleared and
// used again, it keeps its memory: a walk of a whole collection counts every track's sectors.
class TTally {
public:
    void Add(int value) { FValues.push_back(value); }
    void Clear() { FValues.clear(); }
    // 0 when nothing was counted.
    int MostFrequent();

private:
    std::vector<int> FValues;
};
