#include "App_diskimages.h"
#include "App_sectormap.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

using testsupport::Bytes;
using testsupport::MessageOf;

namespace {

Bytes Filled(size_t size, uint8_t value) {
    return Bytes(size, value);
}

// Track 0: an FM sector of 128 bytes, a deleted one, one with an error status and the ID of the
// first. Track 1: N 1 with 100 bytes of data, and "HELLO" split over its two sectors.
Bytes Protected() {
    Bytes split1 = Filled(256, 0x20);
    const std::string hello = "HELLO";
    std::copy(hello.begin(), hello.begin() + 3, split1.end() - 3);
    Bytes split2 = Filled(100, 0x20);
    std::copy(hello.begin() + 3, hello.end(), split2.begin());
    return testsupport::LaidOutImage(
        {{{0, 0, 1, 0, 0x40, 0, 0, Filled(128, 0xE5)},
          {0, 0, 2, 1, 0, 0x10, 0, Filled(256, 0x11)},
          {0, 0, 1, 0, 0, 0, 0xA0, Filled(128, 0x22)}},
         {{0, 1, 1, 1, 0, 0, 0, split1}, {0, 1, 2, 1, 0, 0, 0, split2}}});
}

// The map is the headers as they are, in stored order, with the marks the view shows of a
// track: FM, deleted data, error status, a repeated ID, sizes that do not fit their codes.
TEST(SectorMap, MapsEveryHeaderAsItIsAndMarksTheTracks) {
    const Bytes image = Protected();
    const TSectorMap map = MapSectors(image);
    EXPECT_TRUE(map.Damage.empty());
    ASSERT_EQ(map.Tracks.size(), 2u);
    const TMappedTrack& first = map.Tracks[0];
    ASSERT_EQ(first.Sectors.size(), 3u);
    EXPECT_EQ(first.Sectors[0].Header.Density, 0x40);
    EXPECT_EQ(first.Sectors[1].Header.Deleted, 0x10);
    EXPECT_EQ(first.Sectors[2].Header.Status, 0xA0);
    EXPECT_EQ(first.Sectors[2].Header.R, 1);
    EXPECT_EQ(first.Sectors[2].DataOffset, 688 + 3 * 16 + 128 + 256);
    EXPECT_EQ(std::vector<bool>({first.HasFm(), first.HasDeletedData(), first.HasErrorStatus(),
                                 first.HasRepeatedId(), first.HasOddSizes()}),
              std::vector<bool>({true, true, true, true, false}));
    const TMappedTrack& second = map.Tracks[1];
    EXPECT_EQ(second.Entry, 1);
    EXPECT_EQ(second.Sectors[1].Bytes, 100);
    EXPECT_EQ(std::vector<bool>({second.HasFm(), second.HasDeletedData(), second.HasErrorStatus(),
                                 second.HasRepeatedId(), second.HasOddSizes()}),
              std::vector<bool>({false, false, false, false, true}));
    EXPECT_EQ(map.Sector(1, 2), &second.Sectors[1]);
    EXPECT_EQ(map.Sector(1, 3), nullptr);
    EXPECT_EQ(map.Sector(2, 1), nullptr);
    EXPECT_EQ(MappedTrackName(map, 1), "track 0 side 1");
}

// A damaged image is mapped as far as it is sound, the damage named where it starts, and is
// never written.
TEST(SectorMap, DamageIsNamedWhereItStartsAndRefusesWrites) {
    Bytes image = Protected();
    // The second track's last sector loses its last 10 bytes, and a third entry points past the
    // end.
    image.resize(image.size() - 10);
    testsupport::PutLe(image, 28, static_cast<uint32_t>(image.size()), 4);
    testsupport::PutLe(image, 32 + 8, 0x100000, 4);
    const TSectorMap map = MapSectors(image);
    ASSERT_EQ(map.Tracks.size(), 3u);
    EXPECT_EQ(map.Tracks[1].Sectors.size(), 2u);
    EXPECT_EQ(map.Tracks[1].Sectors[1].Bytes, 90);
    EXPECT_EQ(map.Tracks[1].Damage,
              "Track 0 side 1: the data of sector 2 runs past the end of the image.");
    EXPECT_EQ(map.Damage, map.Tracks[1].Damage);
    EXPECT_EQ(map.Tracks[2].Damage,
              "Track 1 side 0 starts at offset 1048576, past the end of the image (" +
                  std::to_string(image.size()) + " bytes).");
    EXPECT_TRUE(map.Tracks[2].Sectors.empty());
    EXPECT_EQ(MessageOf<EDiskImageError>([&] { WithSectorData(image, 0, 1, Filled(128, 0)); }),
              "The program cannot change a damaged disk image: " + map.Damage);
    EXPECT_FALSE(MapSectors(Bytes(100, 0)).Damage.empty());
    EXPECT_TRUE(MapSectors(Bytes(100, 0)).Tracks.empty());
}

// A write changes exactly the sector's data, marks and layout as they were; it takes only data
// of the sector's length, for a sector the track has.
TEST(SectorMap, WritesExactlyTheSectorsData) {
    const Bytes image = Protected();
    const Bytes data = Filled(256, 0x5A);
    const Bytes written = WithSectorData(image, 0, 2, data);
    ASSERT_EQ(written.size(), image.size());
    const size_t at = 688 + 2 * 16 + 128;
    for (size_t i = 0; i < image.size(); ++i)
        ASSERT_EQ(written[i], i >= at && i < at + 256 ? 0x5A : image[i]) << i;
    EXPECT_EQ(MessageOf<EDiskImageError>([&] { WithSectorData(image, 0, 2, Filled(255, 0)); }),
              "The sector holds 256 bytes, not 255.");
    EXPECT_EQ(MessageOf<EDiskImageError>([&] { WithSectorData(image, 0, 4, data); }),
              "The disk image has no sector 4 on track entry 0.");
    EXPECT_EQ(MessageOf<EDiskImageError>([&] { WithSectorData(image, 5, 1, data); }),
              "The disk image has no sector 1 on track entry 5.");
}

// A search reads a track's sectors as one run: a match may cross from one into the next, and
// overlapping matches are each found, in track and sector order.
TEST(SectorMap, FindsBytesAcrossSectorsOfATrack) {
    const Bytes image = Protected();
    const std::string hello = "HELLO";
    EXPECT_EQ(FindInSectors(image, Bytes(hello.begin(), hello.end())),
              (std::vector<TSectorMatch>{{1, 1, 253}}));
    EXPECT_EQ(FindInSectors(image, Bytes{0xE5, 0xE5}, 3),
              (std::vector<TSectorMatch>{{0, 1, 0}, {0, 1, 1}, {0, 1, 2}}));
    // The last byte of one sector and the first of the next.
    EXPECT_EQ(FindInSectors(image, Bytes{0xE5, 0x11}), (std::vector<TSectorMatch>{{0, 1, 127}}));
    EXPECT_TRUE(FindInSectors(image, Bytes{0x22, 0x20}).empty());
    EXPECT_TRUE(FindInSectors(image, Bytes{}).empty());
}

} // namespace
