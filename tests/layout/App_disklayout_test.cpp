#include "App_disklayout.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <vector>

using testsupport::Bytes;
using testsupport::FormattedImage;
using testsupport::PutLe;

namespace {

// The walk as a list: each sector's R, then how it ended.
struct TWalked {
    std::vector<int> Numbers;
    TTrackWalk Walk;
};

TWalked Walk(const Bytes& image, int64_t offset) {
    TWalked walked;
    walked.Walk = WalkTrack(image, offset, [&](const TSectorRecord& sector) {
        EXPECT_EQ(sector.DataOffset, sector.Offset + 16);
        walked.Numbers.push_back(sector.Header.R);
    });
    return walked;
}

} // namespace

TEST(DiskLayout, SectorHeadersDecodeAsTheBlankLaysThemOutAndEncodeBack) {
    const Bytes blank = FormattedImage(0x20, 77, 2, 8, 3);
    const size_t last = blank.size() - (16 + 1024);
    const TSectorHeader header = DecodeSectorHeader(blank.data() + last);
    EXPECT_EQ(header.C, 76);
    EXPECT_EQ(header.H, 1);
    EXPECT_EQ(header.R, 8);
    EXPECT_EQ(header.N, 3);
    EXPECT_EQ(header.SectorCount, 8);
    EXPECT_EQ(header.DataSize, 1024);
    EXPECT_TRUE(header.DataSizeFitsCode());
    EXPECT_FALSE(header.HasErrorStatus() || header.HasDeletedData());

    // Every field in its own place, the reserved bytes cleared.
    const Bytes fields = {1, 2, 3, 4, 0x34, 0x12, 0x40, 5, 0xB0, 0, 0, 0, 0, 0, 0x78, 0x56};
    Bytes encoded(16, 0xEE);
    EncodeSectorHeader(DecodeSectorHeader(fields.data()), encoded.data());
    EXPECT_EQ(encoded, fields);
    const TSectorHeader odd = DecodeSectorHeader(fields.data());
    EXPECT_EQ(odd.Id(), 0x04030201u);
    EXPECT_TRUE(odd.HasErrorStatus());
    EXPECT_TRUE(odd.HasDeletedData());
    EXPECT_FALSE(odd.DataSizeFitsCode());
    TSectorHeader deleted;
    deleted.Status = DeletedDataStatus;
    EXPECT_TRUE(deleted.HasDeletedData());
    EXPECT_FALSE(deleted.HasErrorStatus());
    deleted.N = 9;
    deleted.DataSize = 0;
    EXPECT_FALSE(deleted.DataSizeFitsCode());
}

TEST(DiskLayout, TheWalkStaysInsideTheImageAndSaysWhereATrackRunsPastIt) {
    const Bytes blank = FormattedImage(0x00, 1, 2, 4, 0);
    const TWalked whole = Walk(blank, 688);
    EXPECT_EQ(whole.Numbers, (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(whole.Walk.Stop, TTrackEnd::Complete);
    EXPECT_EQ(whole.Walk.End, 688 + 4 * 144);

    // Cut inside the third header, then inside the third sector's data.
    const TWalked header = Walk(Bytes(blank.begin(), blank.begin() + 688 + 2 * 144 + 10), 688);
    EXPECT_EQ(header.Numbers, (std::vector<int>{1, 2}));
    EXPECT_EQ(header.Walk.Stop, TTrackEnd::HeaderPastEnd);
    EXPECT_EQ(header.Walk.FailedSector, 3);
    const Bytes cut(blank.begin(), blank.begin() + 688 + 2 * 144 + 20);
    const TWalked data = Walk(cut, 688);
    EXPECT_EQ(data.Numbers, (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(data.Walk.Stop, TTrackEnd::DataPastEnd);
    EXPECT_EQ(data.Walk.End, static_cast<int64_t>(cut.size()));

    // A first header that counts none still has its own sector; offsets outside are no track.
    Bytes none = blank;
    PutLe(none, 688 + 4, 0, 2);
    const TWalked counted = Walk(none, 688);
    EXPECT_TRUE(counted.Walk.CountsNone);
    EXPECT_EQ(counted.Numbers, std::vector<int>{1});
    EXPECT_EQ(Walk(blank, static_cast<int64_t>(blank.size()) - 15).Walk.Stop,
              TTrackEnd::HeaderPastEnd);
    EXPECT_EQ(Walk(blank, -1).Numbers, std::vector<int>{});
}

TEST(DiskLayout, TheTrackOrderNamesCylindersAndSidesAsTheImageLaysThemOut) {
    const auto orderOf = [](const Bytes& image) {
        return TrackOrderOf(image, ReadTrackTable(image), TrackTableEntries);
    };
    const TTrackOrder two = orderOf(FormattedImage(0x00, 40, 2, 16, 1));
    EXPECT_EQ(two.Heads, 2);
    EXPECT_EQ(TrackName(25, two), "track 12 side 1");
    // Single-sided: every other entry, or, as images were once written, one entry a cylinder.
    const Bytes single = FormattedImage(0x00, 40, 1, 16, 1);
    const TTrackOrder everyOther = orderOf(single);
    EXPECT_EQ(everyOther.Heads, 1);
    EXPECT_EQ(everyOther.Stride, 2);
    EXPECT_EQ(TrackName(24, everyOther), "track 12 side 0");
    Bytes packed = single;
    for (int c = 0; c < 40; ++c) {
        PutLe(packed, 32 + 4 * static_cast<size_t>(c), 688 + static_cast<uint32_t>(c) * 16 * 272,
              4);
        PutLe(packed, 32 + 4 * static_cast<size_t>(40 + c), 0, 4);
    }
    const TTrackOrder perCylinder = orderOf(packed);
    EXPECT_EQ(perCylinder.Heads, 1);
    EXPECT_EQ(perCylinder.Stride, 1);
    EXPECT_EQ(CapitalTrackName(12, perCylinder), "Track 12 side 0");
    EXPECT_EQ(TrackEntry(1, 12, 0), 24);
    EXPECT_EQ(TrackEntry(2, 12, 1), 25);
    // A table the image is too short for has no tracks.
    EXPECT_EQ(ReadTrackTable(Bytes(38, 0xFF))[1], 0);
    EXPECT_EQ(ReadTrackTable(Bytes(38, 0xFF))[0], 0xFFFFFFFF);
}

TEST(DiskLayout, TheTallyNamesTheSmallestOfTheMostFrequent) {
    TTally tally;
    EXPECT_EQ(tally.MostFrequent(), 0);
    for (const int value : {9, 3, 9, 3, 7})
        tally.Add(value);
    EXPECT_EQ(tally.MostFrequent(), 3);
    tally.Add(9);
    EXPECT_EQ(tally.MostFrequent(), 9);
    tally.Clear();
    tally.Add(-2);
    EXPECT_EQ(tally.MostFrequent(), -2);
}
