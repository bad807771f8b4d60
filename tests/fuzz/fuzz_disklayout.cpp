// Walks every track of arbitrary bytes taken as one image: each sector handed over lies inside
// the bytes, its data too unless the walk says it runs past them, and the walk ends. The order of
// the tracks and their names come out of any table.
#include "App_disklayout.h"
#include "FuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::span<const uint8_t> image(data, size);
    const auto length = static_cast<int64_t>(size);
    const TTrackTable table = ReadTrackTable(image);
    const TTrackOrder order = TrackOrderOf(image, table, TrackTableEntries);
    if (order.Heads < 1 || order.Heads > 2 || order.Stride < 1 || order.Stride > 2)
        fuzzsupport::Fail("a track order no image has", "1 or 2 heads, stride 1 or 2",
                          std::to_string(order.Heads) + " " + std::to_string(order.Stride));
    TTally sizes;
    for (int t = 0; t < TrackTableEntries; ++t) {
        const int64_t offset = table[static_cast<size_t>(t)];
        if (offset == 0)
            continue;
        int64_t dataPastEnd = -1;
        const TTrackWalk walk = WalkTrack(image, offset, [&](const TSectorRecord& sector) {
            if (sector.Offset < 0 || sector.DataOffset > length)
                fuzzsupport::Fail("a sector header outside the image", "inside",
                                  std::to_string(sector.Offset));
            if (sector.DataOffset + sector.Header.DataSize > length)
                dataPastEnd = sector.Offset;
            sizes.Add(sector.Header.N);
        });
        if ((dataPastEnd >= 0) != (walk.Stop == TTrackEnd::DataPastEnd))
            fuzzsupport::Fail("data past the end that the walk does not report", "DataPastEnd",
                              std::to_string(static_cast<int>(walk.Stop)));
        // A track that starts past the end has no sector and ends where it starts.
        if ((walk.Sectors > 0 && walk.End > length) || (walk.Sectors == 0 && walk.End != offset) ||
            walk.Sectors > 65535)
            fuzzsupport::Fail("a walk past the image", std::to_string(length),
                              std::to_string(walk.End));
        if (TrackName(t, order).empty())
            fuzzsupport::Fail("a track without a name", "a name", "");
    }
    const int n = sizes.MostFrequent();
    if (n < 0 || n > 255)
        fuzzsupport::Fail("a size code no header holds", "0 to 255", std::to_string(n));
    return 0;
}
