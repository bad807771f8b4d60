// CP/M 2.2 disks: a real X1turbo disk, and disks laid out here from the CP/M 2.2 directory
// format (32-byte entries: user, 8+3 name with attributes in the high bits, extent, records,
// 16 one-byte block numbers) in the X1turbo's layout, whose files are read back byte for byte.
#include "App_cpmfs.h"

#include "FsTestDisks.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

using testsupport::Bytes;
using testsupport::MessageOf;
using namespace fstest::cpm;
using fstest::Lines;

namespace {

Bytes Pattern(size_t n, int seed) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = static_cast<uint8_t>(i * 13 + seed + i / 509);
    return b;
}

TEST(App_cpmfs, RealX1turboDisk) {
    const Bytes d = testsupport::SampleBytes("cpm-x1turbo-2d.d88");
    const auto fs = OpenCpm(TDiskSectors(d));
    ASSERT_TRUE(fs);
    EXPECT_EQ(fs->Name(), "CP/M");
    EXPECT_FALSE(fs->CanWrite());
    EXPECT_EQ(fs->Damage(), "");
    // By hand: at cylinder 2 side 0, sector 1, HOGE.TXT (1 record, block 1) and WM.COM (120
    // records, blocks 2 to 9); 2 KiB blocks from that track's first sector, sectors by number.
    EXPECT_EQ(Lines(*fs),
              (std::vector<std::string>{"HOGE.TXT|128|file|user 0", "WM.COM|15360|file|user 0"}));
    EXPECT_EQ(fs->FileCount(), 2);
    EXPECT_EQ(fs->FreeBytes(), (152 - 1 - 1 - 8) * 2048);
    // The sectors of these tracks are interleaved: found by their headers.
    const auto sector = [&](int s) {
        const int t = s / 16;
        size_t at = d[32 + 4 * t] | d[33 + 4 * t] << 8 | d[34 + 4 * t] << 16;
        while (d[at + 2] != s % 16 + 1)
            at += 16 + (d[at + 14] | d[at + 15] << 8);
        return Bytes(d.begin() + static_cast<ptrdiff_t>(at) + 16,
                     d.begin() + static_cast<ptrdiff_t>(at) + 16 + 256);
    };
    Bytes hoge = sector(64 + 8), wm;
    hoge.resize(128);
    for (int s = 64 + 16; s < 64 + 16 + 60; ++s) {
        const Bytes b = sector(s);
        wm.insert(wm.end(), b.begin(), b.end());
    }
    EXPECT_EQ(fs->Read("HOGE.TXT"), hoge);
    EXPECT_EQ(std::string(hoge.begin(), hoge.begin() + 4), "0123");
    EXPECT_EQ(fs->Read("WM.COM"), wm);
    EXPECT_EQ(MessageOf<EFileSystemError>([&] { fs->Put("X", Bytes(1)); }),
              "The program cannot change the files of a CP/M disk.");
    EXPECT_EQ(MessageOf<EFileSystemError>([&] { fs->Read("NONE.COM"); }),
              "The disk has no file \"NONE.COM\".");
}

TEST(App_cpmfs, BuiltDisksJoinExtents) {
    // 40,000 bytes are 313 records: one entry of two logical extents in blocks 1 to 16, then
    // extent 2 with 57 records in blocks 17 to 20, its entry first in the directory.
    Bytes d = Blank();
    const Bytes big = Pattern(40000, 1);
    for (int b = 0; b < 20; ++b)
        Fill(d, 1 + b, big, static_cast<size_t>(b) * 2048);
    Entry(d, 0, 0, "BIG     DAT", 2, 57, {17, 18, 19, 20});
    Entry(d, 1, 0, "BIG     DAT", 1, 128, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16});
    Entry(d, 2, 3, "SYS     \xc3O\xcd", 0, 3, {21});
    Entry(d, 3, 1, "BIG     D\xc1T", 0, 1, {22});
    Fill(d, 21, Pattern(384, 2), 0);
    const auto fs = OpenCpm(TDiskSectors(d));
    ASSERT_TRUE(fs);
    EXPECT_EQ(Lines(*fs), (std::vector<std::string>{"BIG.DAT|40064|file|user 0",
                                                    "SYS.COM|384|file|user 3 read-only",
                                                    "BIG.DAT (user 1)|128|file|user 1 system"}));
    // Whole records, as the disk holds them.
    const Bytes padded = testsupport::Concat({big, Bytes(40064 - big.size(), 0xE5)});
    EXPECT_EQ(fs->Read("BIG.DAT"), padded);
    EXPECT_EQ(fs->Read("SYS.COM"), Pattern(384, 2));
    EXPECT_EQ(fs->FreeBytes(), (152 - 1 - 22) * 2048);

    // The PC-88's layout: one cylinder reserved, 128 entries in blocks 0 and 1.
    Bytes pc = Blank();
    Entry(pc, 70, 0, "PC88    BAS", 0, 20, {2, 3}, 2);
    const Bytes data = Pattern(2560, 3);
    Fill(pc, 2, data, 0, 2);
    Fill(pc, 3, data, 2048, 2);
    const auto pcfs = OpenCpm(TDiskSectors(pc));
    ASSERT_TRUE(pcfs);
    EXPECT_EQ(pcfs->Read("PC88.BAS"), data);
}

TEST(App_cpmfs, DamageAndOtherDisks) {
    // A third entry that goes outside, shares A's block 5, or repeats A's extent 0.
    const std::tuple<const char*, int, std::string, const char*, bool> cases[] = {
        {"B       DAT", 200, "the entry of \"B.DAT\" points outside the disk", "B.DAT", false},
        {"B       DAT", 5, "\"A.DAT\" and \"B.DAT\" share block 5", "B.DAT", true},
        {"A       DAT", 8, "the directory holds extent 0 of \"A.DAT\" twice", "A.DAT", true},
    };
    for (const auto& [name, block, clause, file, readable] : cases) {
        Bytes d = Blank();
        Entry(d, 0, 0, "A       DAT", 0, 32, {5, 6});
        Entry(d, 1, 0, "C       DAT", 0, 16, {9, 10});
        Entry(d, 2, 0, name, 0, 16, {7, block});
        const auto fs = OpenCpm(TDiskSectors(d));
        ASSERT_TRUE(fs) << clause;
        EXPECT_EQ(fs->Damage(), clause);
        EXPECT_EQ(fs->Read("C.DAT").size(), 2048u);
        EXPECT_EQ(MessageOf<EFileSystemError>([&] { fs->Read(file); }),
                  readable ? "(nothing raised)"
                           : "The program cannot read the file \"B.DAT\": some of its blocks are "
                             "not on the disk.");
    }
    Bytes records = Blank();
    Entry(records, 0, 0, "A       DAT", 0, 0x81, {5, 6});
    Bytes user = Blank();
    Entry(user, 0, 16, "A       DAT", 0, 1, {5});
    for (const Bytes& d : {Blank(), testsupport::FormattedImage(0x00, 40, 2, 16, 1, 0x00),
                           testsupport::FormattedImage(0x00, 40, 2, 16, 1, 0xFF), records, user,
                           testsupport::SampleBytes("hubasic-2d-17-byte-name.d88")})
        EXPECT_FALSE(OpenCpm(TDiskSectors(d)));
}

} // namespace
