// Maps arbitrary bytes taken as one image: every sector mapped lies inside the bytes with the
// data it claims to hold, a sound image's sector written with its own bytes leaves the image as
// it was, and a search for a sector's first bytes finds that sector.
#include "App_diskimages.h"
#include "App_sectormap.h"
#include "FuzzSupport.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::span<const uint8_t> image(data, size);
    const auto length = static_cast<int64_t>(size);
    const TSectorMap map = MapSectors(image);
    const TMappedSector* first = nullptr;
    int firstEntry = 0;
    for (const TMappedTrack& track : map.Tracks) {
        if (!track.Damage.empty() && map.Damage.empty())
            fuzzsupport::Fail("a damaged track in an image called sound", "damage", "none");
        for (const TMappedSector& sector : track.Sectors) {
            if (sector.Offset < 0 || sector.DataOffset + sector.Bytes > length ||
                sector.Bytes > sector.Header.DataSize || sector.Bytes < 0)
                fuzzsupport::Fail("a sector outside the image", std::to_string(length),
                                  std::to_string(sector.DataOffset + sector.Bytes));
            if (first == nullptr && sector.Bytes > 0) {
                first = &sector;
                firstEntry = track.Entry;
            }
        }
    }
    if (first == nullptr)
        return 0;
    const std::span<const uint8_t> own =
        image.subspan(static_cast<size_t>(first->DataOffset), static_cast<size_t>(first->Bytes));
    if (map.Damage.empty()) {
        const int index = static_cast<int>(first - map.Track(firstEntry)->Sectors.data()) + 1;
        if (!std::ranges::equal(WithSectorData(image, firstEntry, index, own), image))
            fuzzsupport::Fail("a sector written with its own bytes", "the same image",
                              "another image");
    }
    const std::vector<TSectorMatch> found =
        FindInSectors(image, own.first(std::min<size_t>(own.size(), 4)), 64);
    if (found.empty())
        fuzzsupport::Fail("a sector's first bytes searched for", "a match", "none");
    return 0;
}
