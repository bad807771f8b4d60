// The sectors of a D88 image by cylinder, head and record: how the software on a disk finds its
// data, whatever order the image's tracks and sectors are stored in.
#pragma once

#include "App_disklayout.h"

#include <cstdint>
#include <span>
#include <vector>

// Where a sector's data is in an image.
struct TSectorPlace {
    int64_t Offset = -1;
    int32_t Size = 0;
    explicit operator bool() const { return Offset >= 0; }
};

// A sector as a disk's software names it: cylinder, head (side) and record.
struct TSectorAddress {
    int C = 0;
    int H = 0;
    int R = 0;
};

// The sectors of an image found by cylinder, head and record, as a disk's own software finds
// them: the track of the cylinder and side, then the first sector of that record on it. The
// index holds places, not bytes, so that the same index finds the sectors of a copy of the
// image, which is how a change is written.
class TDiskSectors {
public:
    // Indexes an image that may be damaged anywhere: tracks or sectors past the end are left
    // out, and the walk of each track is bounded by the image's size.
    explicit TDiskSectors(std::span<const uint8_t> image);

    std::span<const uint8_t> Image() const { return FImage; }
    // One more than the highest cylinder that has a track; 0 when none has.
    int Cylinders() const { return FCylinders; }
    // 2 when any track of side 1 is present, else 1.
    int Heads() const { return FHeads; }

    TSectorPlace Find(int c, int h, int r) const;
    // The sector's data, or nothing when the disk has no such sector.
    std::span<const uint8_t> Read(int c, int h, int r) const;
    // The same sector of copy, a copy of the indexed image (same size); nothing when the disk
    // has no such sector.
    std::span<uint8_t> Write(std::vector<uint8_t>& copy, int c, int h, int r) const;
    std::span<const uint8_t> Read(const TSectorAddress& a) const { return Read(a.C, a.H, a.R); }
    std::span<uint8_t> Write(std::vector<uint8_t>& copy, const TSectorAddress& a) const {
        return Write(copy, a.C, a.H, a.R);
    }

    // The sectors of a track in the image's order: their headers and places.
    struct TSector {
        TSectorHeader Header;
        TSectorPlace Place;
    };
    std::span<const TSector> Track(int c, int h) const;

private:
    std::span<const uint8_t> FImage;
    int FCylinders = 0;
    int FHeads = 1;
    // Each track's sectors, at cylinder * 2 + head.
    std::vector<std::vector<TSector>> FTracks;
};
