// Hu-BASIC disks of the X1 laid out here from the public notes on the format (the table at
// logical sector 14, 128 clusters a sector with the high bits in its second half, end marks
// 0x80 | last sector; 32-byte entries from logical sector 16), read back by a reader written here
// from the same notes, and a real 2D disk.
#include "App_hubasicfs.h"

#include "FsTestDisks.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <ctime>
#include <functional>
#include <map>
#include <numeric>
#include <tuple>

using testsupport::Bytes;
using testsupport::MessageOf;
using namespace fstest::hubasic;
using fstest::Lines;

namespace {

struct Seen {
    Bytes Data;
    const uint8_t* Entry;
};

// The files of a 2D disk as the notes describe them: ASCII ones end at 0x1A, others' entries
// give their sizes.
std::map<std::string, Seen> ReadBack(const Bytes& d) {
    const uint8_t* table = Sec(d, 14);
    std::map<std::string, Seen> files;
    for (int slot = 0; slot < 128; ++slot) {
        const uint8_t* e = Sec(d, 16 + slot / 8) + slot % 8 * 32;
        if (e[0] == 0x00 || e[0] == 0xFF)
            continue;
        std::string name(e + 1, e + 14), ext(e + 14, e + 17);
        name.erase(name.find_last_not_of(' ') + 1);
        ext.erase(ext.find_last_not_of(' ') + 1);
        Seen f{{}, e};
        for (int c = e[30], n = 0; n < 80; c = table[c] | table[128 + c] << 7, ++n) {
            for (int i = 0; i < (table[c] & 0x80 ? (table[c] & 0x0F) + 1 : 16); ++i)
                f.Data.insert(f.Data.end(), Sec(d, c * 16 + i), Sec(d, c * 16 + i) + 256);
            if (table[c] & 0x80)
                break;
        }
        f.Data.resize((e[0] & 0x0F) == 0x04
                          ? std::find(f.Data.begin(), f.Data.end(), 0x1A) - f.Data.begin()
                          : e[18] | e[19] << 8);
        files[ext.empty() ? name : name + "." + ext] = f;
    }
    return files;
}

int FreeClusters(const Bytes& d) {
    return static_cast<int>(std::count(Sec(d, 14) + 2, Sec(d, 14) + 80, 0));
}

Bytes Pattern(size_t n, int seed) {
    Bytes b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = static_cast<uint8_t>(i * 31 + seed + i / 251);
    return b;
}

// A BASIC program, a binary file in two clusters out of order, and a hidden read-only text.
Bytes Sample() {
    Bytes d = Blank();
    AddFile(d, 0, 0x02, "GAME.Bas", Pattern(700, 1), {2}, 700);
    AddFile(d, 1, 0x01, "CODE", Pattern(5000, 2), {9, 3}, 5000, 0x8000);
    AddFile(d, 3, 0x54, "\x83\x65\x83\x4c.Asc", {'1', '0', ' ', 'P', '\r', 0x1A}, {4}, 0);
    return d;
}

TEST(App_hubasicfs, ListsAndReadsBuiltDisk) {
    const Bytes d = Sample();
    const auto fs = OpenHuBasic(TDiskSectors(d));
    ASSERT_TRUE(fs);
    EXPECT_EQ(fs->Name(), "Hu-BASIC");
    EXPECT_EQ(fs->Damage(), "");
    EXPECT_EQ(fs->FileCount(), 3);
    EXPECT_EQ(fs->FreeBytes(), (80 - 2 - 4) * 4096);
    EXPECT_EQ(Lines(*fs), (std::vector<std::string>{
                              "GAME.Bas|700|BASIC|1986-07-15 10:30",
                              "CODE|5000|binary|load 0x8000 exec 0x8000 1986-07-15 10:30",
                              "\x83\x65\x83\x4c.Asc|5|ASCII|1986-07-15 10:30 read-only hidden"}));
    for (const auto& [name, seen] : ReadBack(d))
        EXPECT_EQ(fs->Read(name), seen.Data) << name;
    EXPECT_EQ(fs->Read("CODE"), Pattern(5000, 2));
    EXPECT_EQ(MessageOf<EFileSystemError>([&] { fs->Read("GAME.BAS"); }),
              "The disk has no file \"GAME.BAS\".");
    EXPECT_EQ(MessageOf<EFileSystemError>([&] { fs->List("DIR"); }),
              "The disk has no folder \"DIR\".");
}

TEST(App_hubasicfs, ChangesReadBackIndependently) {
    const auto today = [] {
        std::time_t t = std::time(nullptr);
        std::tm l{};
        localtime_r(&t, &l);
        return std::array<int, 3>{l.tm_year % 100 / 10 * 16 + l.tm_year % 10, l.tm_mon + 1,
                                  l.tm_mday / 10 * 16 + l.tm_mday % 10};
    };
    const auto before = today();
    const Bytes text{'l', 'i', 'n', 'e', '\r', '\n', 0x82, 0xA0, '\t'};
    Bytes put = OpenHuBasic(TDiskSectors(Sample()))->Put("NOTE.TXT", text);
    put = OpenHuBasic(TDiskSectors(put))->Put("CODE", Pattern(9000, 7));
    put = OpenHuBasic(TDiskSectors(put))->Put("GAME.Bas", Pattern(300, 8));
    const auto after = today();
    auto files = ReadBack(put);
    ASSERT_EQ(files.size(), 4u);
    const uint8_t *note = files["NOTE.TXT"].Entry, *code = files["CODE"].Entry;
    // Types ASCII, binary and BASIC kept; no size for text; the load address kept; the text's
    // one sector, 0x80 in the table.
    EXPECT_EQ(std::vector<int>({note[0], note[18], note[19], code[0], code[21],
                                files["GAME.Bas"].Entry[0], Sec(put, 14)[note[30]]}),
              std::vector<int>({0x04, 0, 0, 0x01, 0x80, 0x02, 0x80}));
    const std::array<int, 3> written{note[24], note[25] >> 4, note[26]};
    EXPECT_TRUE(written == before || written == after);
    EXPECT_EQ(files["NOTE.TXT"].Data, text);
    EXPECT_EQ(files["CODE"].Data, Pattern(9000, 7));
    EXPECT_EQ(files["GAME.Bas"].Data, Pattern(300, 8));
    EXPECT_EQ(FreeClusters(put), 80 - 2 - 1 - 3 - 1 - 1);
    EXPECT_EQ(OpenHuBasic(TDiskSectors(put))->Read("NOTE.TXT"), text);

    const std::vector<std::string> gone{"CODE", "NOTE.TXT"};
    const Bytes deleted = OpenHuBasic(TDiskSectors(put))->Delete(gone);
    EXPECT_EQ(ReadBack(deleted).size(), 2u);
    EXPECT_EQ(FreeClusters(deleted), 80 - 2 - 1 - 1);
    const Bytes renamed = OpenHuBasic(TDiskSectors(deleted))->Rename("GAME.Bas", "LONGERNAME123.B");
    EXPECT_EQ(ReadBack(renamed)["LONGERNAME123.B"].Data, Pattern(300, 8));
    EXPECT_EQ(OpenHuBasic(TDiskSectors(renamed))->Damage(), "");
}

TEST(App_hubasicfs, Refusals) {
    const Bytes d = Sample();
    const auto fs = OpenHuBasic(TDiskSectors(d));
    Bytes full = Blank(true), crowded = Blank();
    for (int slot = 0; slot < 128; ++slot)
        AddFile(full, slot, 0x01, std::string("F").append(std::to_string(slot)).c_str(), Bytes(1),
                {3 + slot}, 1, 0, true);
    std::vector<int> most(77);
    std::iota(most.begin(), most.end(), 2);
    AddFile(crowded, 0, 0x01, "BIG", Bytes(77 * 4096), most, 0);
    const std::pair<std::string, std::function<void()>> cases[] = {
        {"The name \"ABCDEFGHIJKLMN.B\" does not fit a Hu-BASIC disk: at most 13 bytes and 3 after "
         "the dot.",
         [&] { fs->Put("ABCDEFGHIJKLMN.B", Bytes(3)); }},
        {"The name \"A.BASI\" does not fit a Hu-BASIC disk: at most 13 bytes and 3 after the dot.",
         [&] { fs->Rename("CODE", "A.BASI"); }},
        {"The name \".BAS\" does not fit a Hu-BASIC disk: it has nothing before the dot.",
         [&] { fs->Put(".BAS", Bytes(3)); }},
        {"The name \"A\"B\" does not fit a Hu-BASIC disk: it has a character the disk's names "
         "cannot hold.",
         [&] { fs->Put("A\"B", Bytes(3)); }},
        {"The file \"X\" (65536 bytes) does not fit a Hu-BASIC disk: a file that is not text "
         "holds at most 65535 bytes.",
         [&] { fs->Put("X", Bytes(65536)); }},
        {"The file \"X\" (4097 bytes) does not fit the free space of the disk (4096 bytes).",
         [&] { OpenHuBasic(TDiskSectors(crowded))->Put("X", Bytes(4097)); }},
        {"The directory of the disk has no room for the file \"X\".",
         [&] { OpenHuBasic(TDiskSectors(full))->Put("X", Bytes(1)); }},
    };
    for (const auto& [message, change] : cases)
        EXPECT_EQ(MessageOf<EFileSystemError>(change), message);
    EXPECT_EQ(d, Sample());
    // Replacing a file, its clusters count as free.
    EXPECT_EQ(
        ReadBack(OpenHuBasic(TDiskSectors(crowded))->Put("BIG", Pattern(4097, 1)))["BIG"].Data,
        Pattern(4097, 1));
}

TEST(App_hubasicfs, HostileStructuresListedAndRefused) {
    const std::tuple<std::function<void(Bytes&)>, std::string, bool> cases[] = {
        {[](Bytes& d) { Link(d, 3, 9); }, "the allocation chain of \"CODE\" loops", false},
        {[](Bytes& d) { Link(d, 9, 90); }, "the allocation chain of \"CODE\" leaves the disk",
         false},
        {[](Bytes& d) { Raw(d, 9, 0x90, 0); }, "the allocation chain of \"CODE\" leaves the disk",
         false},
        {[](Bytes& d) { Raw(d, 3, 0, 0); },
         "the allocation chain of \"CODE\" runs into free cluster 3", false},
        {[](Bytes& d) { Link(d, 9, 2), Raw(d, 2, 0x83, 0); },
         "\"GAME.Bas\" and \"CODE\" share cluster 2", true},
        {[](Bytes& d) { Sec(d, 16)[62] = 200; }, "the entry of \"CODE\" points outside the disk",
         false},
        {[](Bytes& d) { Raw(d, 3, 0x82, 0); },
         "the size of \"CODE\" runs past the end of its allocation chain", false},
        {[](Bytes& d) { Sec(d, 16)[62] = 1; }, "\"CODE\" and the disk's tables share cluster 1",
         false},
    };
    for (const auto& [spoil, clause, readable] : cases) {
        Bytes d = Sample();
        spoil(d);
        const auto fs = OpenHuBasic(TDiskSectors(d));
        ASSERT_TRUE(fs) << clause;
        EXPECT_EQ(fs->Damage(), clause);
        EXPECT_EQ(fs->List("").size(), 3u);
        EXPECT_EQ(fs->Read("GAME.Bas"), Pattern(700, 1));
        EXPECT_EQ(
            MessageOf<EFileSystemError>([&] { fs->Read("CODE"); }),
            readable
                ? "(nothing raised)"
                : "The program cannot read the file \"CODE\": its allocation chain is broken.");
        const std::string refused =
            "The program cannot change the files of this disk: " + clause + ".";
        EXPECT_EQ(MessageOf<EFileSystemError>([&] { fs->Put("NEW", Bytes(5)); }), refused);
        EXPECT_EQ(MessageOf<EFileSystemError>([&] { fs->Rename("CODE", "X"); }), refused);
    }
}

TEST(App_hubasicfs, OtherDisksAndTwoHighDensity) {
    Bytes n88 = testsupport::FormattedImage(0x00, 40, 2, 16, 1, 0xFF);
    Sec(n88, 36 * 16 + 13)[0] = 0xFE; // N88-BASIC's table on track 18
    Bytes fat = testsupport::FormattedImage(0x20, 77, 2, 8, 3, 0xE5);
    const uint8_t boot[] = {0xEB, 0x3C, 0x90, 'F', 'A', 'T', 0, 0, 0, 0, 0, 0, 4, 1, 1, 0, 2};
    std::memcpy(fat.data() + 688 + 16, boot, sizeof boot);
    for (const Bytes& d : {testsupport::FormattedImage(0x00, 40, 2, 16, 1, 0xE5),
                           testsupport::FormattedImage(0x00, 40, 2, 16, 1, 0x00), n88, fat,
                           testsupport::SampleBytes("cpm-x1turbo-2d.d88")})
        EXPECT_FALSE(OpenHuBasic(TDiskSectors(d)));
    // 2HD: the table's second sector and high bits for clusters from 128.
    Bytes hd = Blank(true);
    AddFile(hd, 0, 0x01, "HD.BIN", Pattern(9000, 3), {3, 200, 130}, 9000, 0, true);
    const auto fs = OpenHuBasic(TDiskSectors(hd));
    ASSERT_TRUE(fs);
    EXPECT_EQ(fs->Read("HD.BIN"), Pattern(9000, 3));
    EXPECT_EQ(fs->FreeBytes(), (250 - 3 - 3) * 4096);
    const Bytes text(140 * 4096, 'A');
    const Bytes put = fs->Put("LONG.TXT", text);
    EXPECT_EQ(OpenHuBasic(TDiskSectors(put))->Read("LONG.TXT"), text);
    EXPECT_EQ(Sec(put, 28)[127] + Sec(put, 28)[255] * 128, 128); // 127 links to 128
}

TEST(App_hubasicfs, RealDisk) {
    const Bytes d = testsupport::SampleBytes("hubasic-2d-17-byte-name.d88");
    const auto fs = OpenHuBasic(TDiskSectors(d));
    ASSERT_TRUE(fs);
    EXPECT_EQ(d[32] | d[33] << 8, 688); // its tracks lie as Sec finds them
    EXPECT_EQ(d[36] | d[37] << 8, 688 + 16 * 272);
    // By hand: "StopTheClock" Bas (mode 2, 0x0542 bytes, cluster 2) and Asc (mode 4, cluster 3,
    // text up to a 0x1A at 1426), written 2022-02-02 (a Wednesday, 3) 21:33 and 21:42.
    EXPECT_EQ(Lines(*fs),
              (std::vector<std::string>{"StopTheClock.Bas|1346|BASIC|2022-02-02 21:33",
                                        "StopTheClock.Asc|1426|ASCII|2022-02-02 21:42"}));
    auto files = ReadBack(d);
    EXPECT_EQ(files["StopTheClock.Bas"].Data, fs->Read("StopTheClock.Bas"));
    EXPECT_EQ(files["StopTheClock.Asc"].Data, fs->Read("StopTheClock.Asc"));
    EXPECT_EQ(files["StopTheClock.Asc"].Data.size(), 1426u);
    EXPECT_EQ(fs->FreeBytes(), 76 * 4096);
}

} // namespace
