#include "App_diskcheck.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace testsupport;

namespace {

// "severity: text" for each finding, in order.
std::vector<std::string> Findings(const Bytes& image) {
    std::vector<std::string> lines;
    for (const TDiskFinding& finding : CheckDiskImage(image))
        lines.push_back(SeverityText(finding.Severity) + ": " + finding.Text);
    return lines;
}

using Lines = std::vector<std::string>;

std::unique_ptr<TDiskImageList> ListOf(const Bytes& container) {
    rtl::TMemoryStream stream;
    stream.WriteBuffer(container.data(), static_cast<int64_t>(container.size()));
    auto list = std::make_unique<TDiskImageList>();
    list->LoadFromStream(stream);
    return list;
}

} // namespace

TEST(DiskCheckTest, SoundImagesHaveNoFindingsAndEachFaultIsNamedWhereItIs) {
    EXPECT_EQ(Findings(SampleBytes("fm77av-demo.d77")), Lines{});
    EXPECT_EQ(Findings(SampleBytes("cpm-x1turbo-2d.d88")), Lines{});
    EXPECT_EQ(Findings(FormattedImage(DiskType2HD, 77, 2, 8, 3)), Lines{});
    EXPECT_EQ(Findings(FormattedImage(DiskType2D, 0, 0, 0, 0)), Lines{});

    const Bytes blank = FormattedImage(DiskType2D, 40, 2, 16, 1);
    const size_t sector = 16 + 256;
    const auto track = [&](int t) { return 688 + static_cast<size_t>(t) * 16 * sector; };
    const auto patched = [&](const std::function<void(Bytes&)>& patch) {
        Bytes bytes = blank;
        patch(bytes);
        return Findings(bytes);
    };
    EXPECT_EQ(patched([&](Bytes& b) { PutLe(b, 32 + 4 * 5, 0x7FFFFFFF, 4); }),
              Lines{"error: Track 2 side 1 starts at offset 2147483647, past the end of the image "
                    "(348848 bytes)."});
    EXPECT_EQ(patched([&](Bytes& b) { PutLe(b, 32 + 4 * 5, static_cast<uint32_t>(track(4)), 4); }),
              (Lines{"error: Track 2 side 0 overlaps track 2 side 1."}));
    EXPECT_EQ(patched([&](Bytes& b) {
                  PutLe(b, 32 + 4 * 5, static_cast<uint32_t>(track(6)), 4);
                  PutLe(b, 32 + 4 * 6, static_cast<uint32_t>(track(5)), 4);
              }),
              Lines{"warning: The track table is not in ascending order: track 3 side 0 starts "
                    "before track 2 side 1."});
    EXPECT_EQ(patched([&](Bytes& b) { PutLe(b, 32 + 4 * 3, 300, 4); }),
              Lines{"error: Track 1 side 1 starts at offset 300, inside the header."});
    EXPECT_EQ(patched([&](Bytes& b) {
                  PutLe(b, track(7) + 3 * sector + 4, 15, 2);
                  b[track(7) + 4 * sector + 3] = 2;
                  b[track(7) + 6 * sector + 2] = 1;
              }),
              (Lines{"warning: Track 3 side 1: the sector count fields disagree.",
                     "warning: Track 3 side 1: a data size field disagrees with its sector's size "
                     "code.",
                     "warning: Track 3 side 1 has the sector ID C=3 H=1 R=1 N=1 more than once."}));
    Bytes marked = blank;
    marked[track(9) + 8] = 0xB0;
    EXPECT_FALSE(HasFault(CheckDiskImage(marked)));
    EXPECT_EQ(patched([&](Bytes& b) {
                  b[track(9) + 8] = 0xB0;
                  b[track(9) + sector + 8] = 0xA0;
                  b[track(9) + 2 * sector + 7] = 0x10;
                  b[track(9) + 3 * sector + 8] = 0x10;
              }),
              Lines{"note: Track 4 side 1 has sectors 2 with an error status and 2 of deleted "
                    "data; such marks are often copy protection, not damage."});
    // An unformatted last track pointed at the image's end is no fault.
    EXPECT_EQ(patched([&](Bytes& b) { PutLe(b, 32 + 4 * 80, static_cast<uint32_t>(b.size()), 4); }),
              Lines{});
    EXPECT_EQ(patched([&](Bytes& b) { b[27] = DiskType2HD; }),
              Lines{"warning: The disk type is 2HD, but 40 cylinders of 16 sectors of 256 bytes "
                    "make a 2D disk."});
    EXPECT_EQ(patched([&](Bytes& b) { b[27] = 0x30; }),
              Lines{"warning: The disk type 0x30 is not one the program supports."});
    // The last sector's data running off the end; the size field then disagrees too.
    const Bytes cut(blank.begin(), blank.end() - 100);
    EXPECT_EQ(Findings(cut),
              (Lines{"error: The size field says 348848 bytes; the image has 348748.",
                     "error: Track 39 side 1: the data of sector 16 runs past the end of the "
                     "image."}));
    // An older image's 672-byte header: the first track sits where entries 160 to 163 would.
    Bytes old = FormattedImage(DiskType2D, 1, 2, 1, 0);
    old.erase(old.begin() + 672, old.begin() + 688);
    PutLe(old, 28, static_cast<uint32_t>(old.size()), 4);
    PutLe(old, 32, 672, 4);
    PutLe(old, 36, 672 + 144, 4);
    EXPECT_EQ(Findings(old), Lines{"warning: The header is 672 bytes, as in images whose track "
                                   "table has 160 entries; a container's headers are 688 bytes."});
}

TEST(DiskCheckTest, CopiesAreKnownByTheirTracksWhateverTheirNameOrProtection) {
    Bytes a = FormattedImage(DiskType2D, 40, 2, 16, 1, 0x11);
    Bytes renamed = a;
    renamed[0] = 'X';
    renamed[26] = WriteProtectedOn;
    Bytes other = a;
    other.at(688 + 16) ^= 1;
    const std::unique_ptr<TDiskImageList> list =
        ListOf(Concat({a, other, renamed, FormattedImage(DiskType2D, 0, 0, 0, 0), a,
                       FormattedImage(DiskType2D, 0, 0, 0, 0)}));
    EXPECT_EQ(DuplicateImages(*list), (std::vector<int>{2, 4, 5}));
    for (const rtl::THashAlgorithm algorithm :
         {rtl::THashAlgorithm::Crc32, rtl::THashAlgorithm::Md5, rtl::THashAlgorithm::Sha1}) {
        EXPECT_EQ(TrackDataDigest(renamed, algorithm), TrackDataDigest(a, algorithm));
        EXPECT_NE(TrackDataDigest(other, algorithm), TrackDataDigest(a, algorithm));
    }
}

// Each finding about a track carries its table entry, so that the sector view shows it on its
// track; what is about the whole image carries none.
TEST(DiskCheckTest, EachFindingNamesItsTrackEntry) {
    const Bytes blank = FormattedImage(DiskType2D, 40, 2, 16, 1);
    const size_t sector = 16 + 256;
    const auto track = [&](int t) { return 688 + static_cast<size_t>(t) * 16 * sector; };
    const auto entries = [&](const std::function<void(Bytes&)>& patch) {
        Bytes bytes = blank;
        patch(bytes);
        std::vector<int> found;
        for (const TDiskFinding& finding : CheckDiskImage(bytes))
            found.push_back(finding.Entry);
        return found;
    };
    EXPECT_EQ(entries([&](Bytes& b) { PutLe(b, 32 + 4 * 5, 0x7FFFFFFF, 4); }), std::vector<int>{5});
    EXPECT_EQ(entries([&](Bytes& b) { PutLe(b, 32 + 4 * 5, static_cast<uint32_t>(track(4)), 4); }),
              std::vector<int>{4});
    EXPECT_EQ(entries([&](Bytes& b) {
                  PutLe(b, 32 + 4 * 5, static_cast<uint32_t>(track(6)), 4);
                  PutLe(b, 32 + 4 * 6, static_cast<uint32_t>(track(5)), 4);
              }),
              std::vector<int>{6});
    EXPECT_EQ(entries([&](Bytes& b) {
                  b[track(7) + 8] = 0xB0;
                  b[track(7) + sector + 2] = 1;
                  b[27] = DiskType2HD;
                  PutLe(b, 28, 5, 4);
              }),
              (std::vector<int>{-1, 7, 7, -1}));
}
