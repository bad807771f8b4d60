// The sectors the file systems read, found by cylinder, head and record in images laid out by
// hand, damaged ones among them, and the paths they are named by.
#include "App_disksectors.h"
#include "App_filesystems.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using testsupport::Bytes;
using testsupport::FormattedImage;
using testsupport::PutLe;

namespace {

// Where the data of sector r of cylinder c, head h lies in a FormattedImage of 16 sectors of
// 256 bytes on two sides: after the header, the tracks before it and the sectors before it,
// each behind its 16-byte header.
size_t DataOffset(int c, int h, int r) {
    return 688 + static_cast<size_t>(((c * 2 + h) * 16 + (r - 1)) * (16 + 256) + 16);
}

} // namespace

TEST(DiskSectors, FindSectorsWhereTheLayoutPutsThemAndNothingOutsideTheImage) {
    Bytes image = FormattedImage(0x00, 40, 2, 16, 1);
    image[DataOffset(18, 1, 13)] = 0xA5;
    const TDiskSectors sectors(image);
    EXPECT_EQ(sectors.Cylinders(), 40);
    EXPECT_EQ(sectors.Heads(), 2);
    EXPECT_EQ(sectors.Find(18, 1, 13).Offset, static_cast<int64_t>(DataOffset(18, 1, 13)));
    EXPECT_EQ(sectors.Read(18, 1, 13).size(), 256u);
    EXPECT_EQ(sectors.Read(18, 1, 13)[0], 0xA5);
    EXPECT_TRUE(sectors.Read(18, 1, 17).empty());
    EXPECT_TRUE(sectors.Read(40, 0, 1).empty());
    EXPECT_TRUE(sectors.Read(-1, 0, 1).empty());
    EXPECT_TRUE(sectors.Read(0, 2, 1).empty());
    EXPECT_EQ(sectors.Track(3, 0).size(), 16u);

    // A change goes to the same place of a copy and nowhere else.
    Bytes copy = image;
    sectors.Write(copy, 0, 1, 1)[255] = 0x5A;
    Bytes expected = image;
    expected[DataOffset(0, 1, 1) + 255] = 0x5A;
    EXPECT_EQ(copy, expected);
    Bytes shorter(image.begin(), image.end() - 1);
    EXPECT_TRUE(sectors.Write(shorter, 0, 1, 1).empty());

    // The last track's last sector runs past a cut image; a track table entry points past it.
    Bytes cut(image.begin(), image.end() - 10);
    PutLe(cut, 32 + 4 * 5, 0x7FFFFFF0, 4);
    const TDiskSectors damaged(cut);
    EXPECT_TRUE(damaged.Read(39, 1, 16).empty());
    EXPECT_EQ(damaged.Read(39, 1, 15).size(), 256u);
    EXPECT_TRUE(damaged.Track(2, 1).empty());
    EXPECT_EQ(OpenFileSystem(cut), nullptr);
    EXPECT_EQ(OpenFileSystem(image), nullptr);

    // Entries at the edges of the image: its last byte, which holds no sector header, and places
    // inside the header, which hold none either; the other tracks keep their sectors.
    for (const uint32_t edge : {static_cast<uint32_t>(image.size() - 1), 600u, 32u, 0u}) {
        Bytes edged = image;
        PutLe(edged, 32 + 4 * 3, edge, 4);
        const TDiskSectors sectors(edged);
        EXPECT_TRUE(sectors.Track(1, 1).empty()) << edge;
        EXPECT_EQ(sectors.Track(1, 0).size(), 16u) << edge;
        EXPECT_EQ(sectors.Read(39, 1, 16).size(), 256u) << edge;
    }
}

TEST(DiskSectors, SingleSidedImagesAndOldHeadersNameTheirTracksAsReadersDo) {
    // Every other entry: a single-sided image of the two-sided order.
    const Bytes both = FormattedImage(0x00, 40, 2, 16, 1);
    Bytes single = both;
    for (int t = 1; t < 80; t += 2)
        PutLe(single, 32 + 4 * static_cast<size_t>(t), 0, 4);
    const TDiskSectors everyOther(single);
    EXPECT_EQ(everyOther.Heads(), 1);
    EXPECT_EQ(everyOther.Find(5, 0, 1).Offset, static_cast<int64_t>(DataOffset(5, 0, 1)));
    EXPECT_TRUE(everyOther.Read(5, 1, 1).empty());

    // A 672-byte header: its first track's bytes are not table entries.
    const Bytes old = FormattedImage(0x00, 1, 1, 1, 1);
    Bytes image = testsupport::Concat(
        {Bytes(old.begin(), old.begin() + 32), Bytes(640, 0), Bytes(old.begin() + 688, old.end())});
    PutLe(image, 32, 672, 4);
    image[672 + 16] = 0x77;
    const TDiskSectors oldHeader(image);
    EXPECT_EQ(oldHeader.Cylinders(), 1);
    EXPECT_EQ(oldHeader.Read(0, 0, 1)[0], 0x77);
}
